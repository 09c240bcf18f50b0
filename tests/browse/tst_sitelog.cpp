#include "FakeWebBrowser.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "browse/SiteLog.h"
#include "platform/Clock.h"
#include "platform/Settings.h"
#include "security/Security2.h"

#include <QtTest>
#include <QtWidgets>

#include <unistd.h>

// How the log file is made unwritable.
enum Spoil { Fine, Dangling, ReadOnly };

class TestSiteLog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { platform::SetClock({}); }
    void completions_data();
    void completions();
};

void TestSiteLog::completions_data()
{
    QTest::addColumn<QString>("stored"); // "Log" before the browser window loads; "-" absent
    QTest::addColumn<bool>("logOn"); // the box as the user then leaves it
    QTest::addColumn<QString>("logAfter"); // "Log" once the load has ticked the box
    QTest::addColumn<int>("spoil");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("urls"); // one completed download each
    QTest::addColumn<QByteArray>("log"); // "-" for no file
    QTest::addColumn<int>("hour");
    const QByteArray stamp = "\"07/03/04 - 09:05:03 - ", none = "-";
    // An evening time, so that a 12-hour clock shows.
    const QByteArray evening = "\"07/03/04 - 21:05:03 - ";
    const QStringList one {"http://example.org/"};
    const int fine = Fine, dangling = Dangling, readOnly = ReadOnly;
    // Each line holds what the box showed before that completion replaced it.
    QTest::newRow("three completions, empty address")
        << "0" << true << "1" << fine << ""
        << QStringList {"http://a.example/", "http://a.example/", "http://b.example/"}
        << stamp + "\"\r\n" + stamp + "http://a.example/\"\r\n" + stamp + "http://a.example/\"\r\n"
        << 9;
    QTest::newRow("quote inside") << "no" << true << "no" << fine << "say \"hi\", ok" << one
                                  << evening + "say \"hi\", ok\"\r\n"
                                  << 21;
    QTest::newRow("box cleared") << "-" << false << "absent" << fine << "a.example" << one << none
                                 << 9;
    QTest::newRow("dangling link") << "1" << true << "1" << dangling << "x" << one << none << 9;
    // An installed copy: the line goes to the user's data folder.
    QTest::newRow("read-only folder")
        << "1" << true << "1" << readOnly << "x" << one << stamp + "x\"\r\n"
        << 9;
}

void TestSiteLog::completions()
{
    QFETCH(QString, stored);
    QFETCH(bool, logOn);
    QFETCH(QString, logAfter);
    QFETCH(int, spoil);
    QFETCH(QString, typed);
    QFETCH(QStringList, urls);
    QFETCH(QByteArray, log);
    QFETCH(int, hour);
    TestEnv env;
    if (stored != QLatin1String("-"))
        platform::SaveSetting(QStringLiteral("Log"), stored);
    platform::SetClock([hour] { return QDateTime(QDate(2004, 3, 7), QTime(hour, 5, 3)); });
    MDIForm1 *main = Forms::Show<MDIForm1>();
    QCOMPARE(platform::GetSetting(QStringLiteral("Log"), QStringLiteral("absent")), logAfter);
    Forms::get<Security2>()->Check1->setChecked(logOn);
    if (spoil == Dangling) // the superuser cannot open it either
        QVERIFY(QFile::link(env.path() + QStringLiteral("/gone/sitelog.f"), SiteLogPath()));
    if (spoil == ReadOnly) {
        if (::geteuid() == 0)
            QSKIP("the superuser writes into read-only folders");
        QVERIFY(QFile::setPermissions(env.programFolder(),
                                      QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }
    main->Combo1->setEditText(typed);
    for (const QString &url : urls)
        FakeWebBrowser::last()->completeLoad(url);
    QFile file(SiteLogPath());
    QCOMPARE(file.fileName().startsWith(env.path() + QStringLiteral("/data/ScoutwellV3/")),
             spoil == ReadOnly);
    QFile::setPermissions(env.programFolder(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // Browsing goes on whether or not the line could be written.
    QCOMPARE(main->Combo1->currentText(), urls.last());
    QCOMPARE(QFileInfo(file).isFile() && file.open(QIODevice::ReadOnly) ? file.readAll() : "-",
             log);
    // What was visited is its owner's alone.
    const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther
        | QFileDevice::WriteOther;
    QCOMPARE(file.permissions() & others, QFileDevice::Permissions());
}

QTEST_MAIN(TestSiteLog)
#include "tst_sitelog.moc"
