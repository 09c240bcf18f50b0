#include "TestEnv.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "favourites/frmOrganize.h"

#include <QtTest>
#include <QtWidgets>

#include <csignal>
#include <sys/resource.h>

namespace {

const QByteArray two = "[Favourites]\n1=First\n2=Second\n"
                       "[Links]\n1=http://first.example/\n2=http://second.example/\n";

void writeFavourites(const TestEnv &env, const QByteArray &bytes)
{
    QFile f(env.programFolder() + QStringLiteral("/favourites.ini"));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size());
}

QByteArray readFavourites(const TestEnv &env)
{
    QFile f(env.programFolder() + QStringLiteral("/favourites.ini"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

} // namespace

class TestFrmOrganize : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void saveUnchangedKeepsEveryByte_data()
    {
        QTest::addColumn<QByteArray>("file"); // null: no file yet
        QTest::newRow("CR LF, no final line end")
            << QByteArray(two).replace("\n", "\r\n").chopped(2);
        QTest::newRow("UTF-8, tab")
            << QByteArray("[Favourites]\n\t1=Caf\xC3\xA9\xC2\xA0\xE6\x97\xA5\n\n");
        QTest::newRow("Latin-1") << QByteArray("[Favourites]\n1=Caf\xE9\xA0\n");
        QTest::newRow("no file") << QByteArray();
    }
    void saveUnchangedKeepsEveryByte()
    {
        QFETCH(QByteArray, file);
        TestEnv env;
        if (!file.isNull())
            writeFavourites(env, file);
        MDIForm1 *main = Forms::get<MDIForm1>();
        frmOrganize *w = Forms::Show<frmOrganize>();
        QCOMPARE(w->windowIcon().cacheKey(), main->windowIcon().cacheKey());
        QTest::mouseClick(w->Label3, Qt::LeftButton);
        QCOMPARE(readFavourites(env), file.isNull() ? QByteArray("") : file);
        QCOMPARE(env.boxes.size(), 1);
        QCOMPARE(env.boxes[0].title, QStringLiteral("Update Successful"));
        QVERIFY(!Forms::isLoaded<frmOrganize>());
    }

    // Closing without Save leaves the file as it was; a Save the disk refuses leaves it too
    // and keeps the window and the edit; a Save that works writes the editor's text, which
    // the menu shows after a restart only.
    void editsReachTheFileOnlyThroughSave()
    {
        TestEnv env;
        writeFavourites(env, two);
        MDIForm1 *main = Forms::get<MDIForm1>();
        frmOrganize *w = Forms::Show<frmOrganize>();
        w->rtb1->setFocus();
        QTest::keyClicks(w->rtb1, QStringLiteral("junk"));
        QVERIFY(w->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(readFavourites(env), two);

        w = Forms::Show<frmOrganize>();
        QCOMPARE(w->rtb1->toPlainText(), QString::fromUtf8(two));
        const QString edited
            = QString::fromUtf8(two).replace("2=Second\n", "2=Second\n3=Caf\u00e9\n")
            + QStringLiteral("3=http://third.example/\n");
        w->rtb1->selectAll();
        w->rtb1->insertPlainText(edited);
        // A file-size limit makes every write past 64 bytes fail, even for the superuser.
        struct rlimit old = {};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &old) == 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = old;
        small.rlim_cur = 64;
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
        QTest::mouseClick(w->Label3, Qt::LeftButton);
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        QCOMPARE(readFavourites(env), two);
        QCOMPARE(QDir(env.programFolder()).entryList(QDir::Files), QStringList {"favourites.ini"});
        QVERIFY(Forms::isLoaded<frmOrganize>());
        QCOMPARE(w->rtb1->toPlainText(), edited);
        QCOMPARE(env.boxes.size(), 1);
        QVERIFY2(env.boxes[0].prompt.contains("could not be saved"),
                 qPrintable(env.boxes[0].prompt));

        QTest::mouseClick(w->Label3, Qt::LeftButton);
        QCOMPARE(readFavourites(env), edited.toUtf8());
        QCOMPARE(main->mnuFT1.size(), 3);
        Forms::Unload<MDIForm1>();
        QCOMPARE(Forms::get<MDIForm1>()->mnuFT1.last()->text(), QStringLiteral("Caf\u00e9"));
    }
};

QTEST_MAIN(TestFrmOrganize)
#include "tst_frmorganize.moc"
