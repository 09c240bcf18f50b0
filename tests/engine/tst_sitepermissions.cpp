#include "FakeWebBrowser.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "browse/Form1.h"
#include "browse/PermissionBar.h"
#include "engine/SitePermissions.h"
#include "settings/frmSettings.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeView>
#include <QtTest>

using engine::PermissionQueue;
using engine::SitePermissions;
using P = QWebEnginePage;

class TestSitePermissions : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Every feature the engine asks about has words, a name and a key that reads back as the
    // feature; the question names the host alone.
    void words()
    {
        for (int f = P::Notifications; f <= P::DesktopAudioVideoCapture; ++f) {
            P::Feature back = P::Notifications;
            QVERIFY(!engine::FeatureWords(P::Feature(f)).isEmpty());
            QVERIFY(!engine::FeatureName(P::Feature(f)).isEmpty());
            QVERIFY(engine::FeatureFromKey(engine::FeatureKey(P::Feature(f)), &back));
            QCOMPARE(back, P::Feature(f));
        }
        QCOMPARE(engine::PermissionQuestion(QUrl("https://meet.example:8443"),
                                            P::MediaAudioVideoCapture),
                 QStringLiteral("meet.example wants to use your camera and microphone"));
        const QString tail = "." + QString(30, 'x').append('.').repeated(3) + "evil.example";
        QCOMPARE(engine::PermissionQuestion(QUrl("https://bank.example" + tail), P::Geolocation),
                 QChar(0x2026) + tail.right(59) + " wants to know your location");
    }

    void siteOf_data()
    {
        QTest::addColumn<QString>("origin");
        QTest::addColumn<QString>("site");
        // clang-format off
        QTest::newRow("secure")        << "https://A.Example/" << "https://a.example";
        QTest::newRow("own port")      << "https://a.example:443" << "https://a.example";
        QTest::newRow("plain own port")<< "http://a.example:80" << "http://a.example";
        QTest::newRow("other port")    << "http://localhost:8080" << "http://localhost:8080";
        QTest::newRow("no host")       << "file:///tmp/x.html" << "";
        // clang-format on
    }
    void siteOf()
    {
        QFETCH(QString, origin);
        QFETCH(QString, site);
        QCOMPARE(engine::SiteOf(QUrl(origin)), site);
    }

    // Answers are kept per site and feature in the file, read back by a fresh load, changed
    // in place and forgotten; the plain form of a site is another site.
    void storeRoundTrip()
    {
        TestEnv env;
        SitePermissions &store = SitePermissions::instance();
        QCOMPARE(store.load(), QString());
        QCOMPARE(store.rowCount(), 0);
        const QUrl meet(QStringLiteral("https://meet.example")),
            news(QStringLiteral("http://news.example:8080"));
        QSignalSpy inserted(&store, &QAbstractItemModel::rowsInserted);
        QVERIFY(store.remember(meet, P::MediaVideoCapture, true));
        QVERIFY(store.remember(news, P::Notifications, false));
        QVERIFY(store.remember(meet, P::Geolocation, false));
        QVERIFY(store.remember(meet, P::Geolocation, true));
        QCOMPARE(inserted.size(), 3);
        QCOMPARE(readFile(SitePermissions::filePath()),
                 "[http://news.example:8080]\nnotifications=deny\n\n"
                 "[https://meet.example]\nlocation=allow\ncamera=allow\n");
        // Others on the machine cannot read where the user has been.
        QVERIFY(!(QFile::permissions(SitePermissions::filePath())
                  & (QFile::ReadGroup | QFile::ReadOther)));
        QCOMPARE(store.load(), QString());
        QCOMPARE(store.rowCount(), 3);
        QCOMPARE(store.answer(meet, P::MediaVideoCapture), SitePermissions::Allowed);
        QCOMPARE(store.answer(meet, P::Geolocation), SitePermissions::Allowed);
        QCOMPARE(store.answer(news, P::Notifications), SitePermissions::Denied);
        QCOMPARE(store.answer(QUrl("http://meet.example"), P::MediaVideoCapture),
                 SitePermissions::Unanswered);
        QCOMPARE(store.answer(meet, P::MediaAudioVideoCapture), SitePermissions::Unanswered);
        QCOMPARE(store.index(0, SitePermissions::PermissionColumn).data().toString(),
                 QStringLiteral("Notifications"));
        QCOMPARE(store.index(0, SitePermissions::AnswerColumn).data().toString(),
                 QStringLiteral("Denied"));

        QVERIFY(store.forget(QStringLiteral("https://meet.example"), P::MediaVideoCapture));
        QCOMPARE(store.answer(meet, P::MediaVideoCapture), SitePermissions::Unanswered);
        QVERIFY(store.load().isEmpty());
        QCOMPARE(store.rowCount(), 2);
    }

    // A file the program did not write is never half taken: it is set aside (each time under
    // a new name) and said, and no answer comes from it.
    void damagedFileSetAside_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("damaged");
        // clang-format off
        QTest::newRow("hand-written") << QByteArray("; mine\n\n[https://a.example]\n camera = deny \n") << false;
        QTest::newRow("binary")       << QByteArray("[https://a.example]\ncamera=deny\n\0\1", 34) << true;
        QTest::newRow("bad answer")   << QByteArray("[https://a.example]\ncamera=maybe\n") << true;
        QTest::newRow("no site")      << QByteArray("camera=deny\n") << true;
        QTest::newRow("not a site")   << QByteArray("[a.example]\ncamera=deny\n") << true;
        QTest::newRow("unknown key")  << QByteArray("[https://a.example]\nteleport=deny\n") << true;
        QTest::newRow("not utf-8")    << QByteArray("[https://\xff.example]\ncamera=deny\n") << true;
        // clang-format on
    }
    void damagedFileSetAside()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, damaged);
        TestEnv env;
        const QString file = SitePermissions::filePath();
        QDir().mkpath(QFileInfo(file).path());
        QVERIFY(putFile(file + ".bad", "an earlier one"));
        QVERIFY(putFile(file, bytes));
        SitePermissions &store = SitePermissions::instance();
        const QString report = store.load();
        QCOMPARE(!report.isEmpty(), damaged);
        QCOMPARE(store.answer(QUrl("https://a.example"), P::MediaVideoCapture),
                 damaged ? SitePermissions::Unanswered : SitePermissions::Denied);
        QCOMPARE(readFile(file + ".bad"), QByteArray("an earlier one"));
        if (damaged) {
            QVERIFY(report.contains("permissions.ini.bad.1"));
            QCOMPARE(readFile(file + ".bad.1"), bytes);
            QVERIFY(!QFileInfo::exists(file));
            // Asked again, the new answer is kept in a new file.
            QVERIFY(store.remember(QUrl("https://a.example"), P::MediaVideoCapture, true));
            QCOMPARE(store.load(), QString());
            QCOMPARE(store.rowCount(), 1);
        }
    }

    // One question at a time, oldest first; the same request again is one question; a
    // withdrawn one goes, whichever place it had.
    void queue()
    {
        PermissionQueue q;
        const PermissionQueue::Request cam {QUrl("https://a.example"), P::MediaVideoCapture};
        const PermissionQueue::Request loc {QUrl("https://a.example"), P::Geolocation};
        const PermissionQueue::Request other {QUrl("https://b.example"), P::MediaVideoCapture};
        QVERIFY(q.add(cam));
        QVERIFY(!q.add(loc));
        QVERIFY(!q.add(cam));
        QVERIFY(!q.add(other));
        QCOMPARE(q.size(), 3);
        QVERIFY(q.cancel(loc));
        QVERIFY(!q.cancel(loc));
        QCOMPARE(q.takeFirst(), cam);
        QCOMPARE(q.first(), other);
        QVERIFY(q.cancel(other));
        QVERIFY(q.isEmpty());
        QVERIFY(q.add(loc));
    }

    // The bar takes the top of the browser window while a question waits; Allow takes no
    // click at once, Deny does; an empty question hides it and gives the page its room back.
    void barInBrowserWindow()
    {
        TestEnv env;
        Forms::Show<MDIForm1>()->resize(900, 700);
        auto *fake = FakeWebBrowser::last();
        auto *bar = Forms::get<Form1>()->findChild<PermissionBar *>("PermissionBar");
        QVERIFY(bar && bar->isHidden());
        QTRY_VERIFY2(fake->height() > 300, qPrintable(QString::number(fake->height())));
        const int fullHeight = fake->height();
        Q_EMIT fake->PermissionRequest("meet.example wants to use your camera", 1);
        QVERIFY(!bar->isHidden());
        QCOMPARE(bar->lblQuestion->text(),
                 QStringLiteral("meet.example wants to use your camera   (1 more question waits)"));
        QCOMPARE(fake->y(), bar->height());
        QCOMPARE(fake->height(), fullHeight - bar->height());
        QTest::mouseClick(bar->cmdAllow, Qt::LeftButton);
        QVERIFY(fake->calls.isEmpty());
        QTest::mouseClick(bar->cmdDeny, Qt::LeftButton);
        QCOMPARE(fake->calls, QStringList {"deny"});
        Q_EMIT fake->PermissionRequest("meet.example wants to know your location", 0);
        QTRY_VERIFY(bar->cmdAllow->isEnabled());
        QTest::mouseClick(bar->cmdAllow, Qt::LeftButton);
        QCOMPARE(fake->calls, QStringList({"deny", "allow"}));
        Q_EMIT fake->PermissionRequest(QString(), 0);
        QVERIFY(bar->isHidden());
        QCOMPARE(fake->y(), 0);
        QCOMPARE(fake->height(), fullHeight);
    }

    // The settings window lists the kept answers; Remove forgets the chosen ones, in the file
    // too.
    void settingsList()
    {
        TestEnv env;
        SitePermissions &store = SitePermissions::instance();
        QVERIFY(store.load().isEmpty());
        QVERIFY(store.remember(QUrl("https://a.example"), P::Notifications, false));
        QVERIFY(store.remember(QUrl("https://b.example"), P::MediaVideoCapture, true));
        Forms::Show<frmSettings>();
        auto *w = Forms::get<frmSettings>();
        QTreeView *list = w->lstPermissions;
        QCOMPARE(list->model()->rowCount(), 2);
        QCOMPARE(list->model()->index(1, 0).data().toString(), QStringLiteral("https://b.example"));
        QVERIFY(!w->cmdRemovePermission->isEnabled());
        const QRect row = list->visualRect(list->model()->index(0, 1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
        QVERIFY(w->cmdRemovePermission->isEnabled());
        QTest::mouseClick(w->cmdRemovePermission, Qt::LeftButton);
        QCOMPARE(list->model()->rowCount(), 1);
        QCOMPARE(readFile(SitePermissions::filePath()), "[https://b.example]\ncamera=allow\n");
    }
};

QTEST_MAIN(TestSitePermissions)
#include "tst_sitepermissions.moc"
