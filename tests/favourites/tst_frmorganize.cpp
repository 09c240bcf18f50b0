#include "TestEnv.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "favourites/frmOrganize.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {

QString favouritesFile(const TestEnv &env)
{
    return env.programFolder() + QStringLiteral("/favourites.ini");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

const QByteArray twoFavourites = "[Favourites]\n1=First\n2=Second\n"
                                 "[Links]\n1=http://first.example/\n2=http://second.example/\n";

} // namespace

class TestFrmOrganize : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void saveUnchangedKeepsEveryByte_data();
    void saveUnchangedKeepsEveryByte();
    void savedEditsShowAfterARestartOnly();
    void closingWithoutSaveKeepsTheFile();
    void failedSaveKeepsTheOldFileAndTheWindow();
};

void TestFrmOrganize::saveUnchangedKeepsEveryByte_data()
{
    QTest::addColumn<QByteArray>("file"); // null: no file yet
    QTest::newRow("two favourites") << twoFavourites;
    QTest::newRow("CR LF, no final line end")
        << QByteArray(twoFavourites).replace("\n", "\r\n").chopped(2);
    QTest::newRow("UTF-8, no-break space, tab")
        << QByteArray("[Favourites]\n\t1=Caf\xC3\xA9\xC2\xA0\xE6\x97\xA5\n\n");
    QTest::newRow("Latin-1") << QByteArray("[Favourites]\n1=Caf\xE9\xA0\n");
    QTest::newRow("no file") << QByteArray();
}

void TestFrmOrganize::saveUnchangedKeepsEveryByte()
{
    QFETCH(QByteArray, file);
    TestEnv env;
    if (!file.isNull())
        QVERIFY(writeFile(favouritesFile(env), file));
    MDIForm1 *main = Forms::get<MDIForm1>();
    frmOrganize *w = Forms::Show<frmOrganize>();
    QCOMPARE(w->windowIcon().cacheKey(), main->windowIcon().cacheKey());
    QVERIFY(!w->rtb1->toPlainText().contains(QLatin1Char('\r')));
    QTest::mouseClick(w->Label3, Qt::LeftButton);
    QCOMPARE(readFile(favouritesFile(env)), file.isNull() ? QByteArray("") : file);
    QCOMPARE(env.boxes.size(), 1);
    QCOMPARE(env.boxes[0].title, QStringLiteral("Update Successful"));
    QCOMPARE(env.boxes[0].prompt,
             QStringLiteral("You must re-start this program before your changes will take effect"));
    QCOMPARE(env.boxes[0].style, 64);
    QVERIFY(!Forms::isLoaded<frmOrganize>());
}

void TestFrmOrganize::savedEditsShowAfterARestartOnly()
{
    TestEnv env;
    QVERIFY(writeFile(favouritesFile(env), twoFavourites));
    MDIForm1 *main = Forms::get<MDIForm1>();
    frmOrganize *w = Forms::Show<frmOrganize>();
    QCOMPARE(w->rtb1->toPlainText(), QString::fromUtf8(twoFavourites));
    QString text = w->rtb1->toPlainText();
    text.replace(QStringLiteral("2=Second\n"), QStringLiteral("2=Second\n3=Caf\u00e9 third\n"));
    text += QStringLiteral("3=http://third.example/\n");
    w->rtb1->selectAll();
    w->rtb1->insertPlainText(text);
    QTest::mouseClick(w->Label3, Qt::LeftButton);
    QCOMPARE(readFile(favouritesFile(env)), text.toUtf8());
    QCOMPARE(main->mnuFT1.size(), 3);

    Forms::Unload<MDIForm1>();
    main = Forms::get<MDIForm1>();
    QCOMPARE(main->mnuFT1.size(), 4);
    QCOMPARE(main->mnuFT1.last()->text(), QStringLiteral("Caf\u00e9 third"));
}

void TestFrmOrganize::closingWithoutSaveKeepsTheFile()
{
    TestEnv env;
    QVERIFY(writeFile(favouritesFile(env), twoFavourites));
    frmOrganize *w = Forms::Show<frmOrganize>();
    w->rtb1->setFocus();
    QTest::keyClicks(w->rtb1, QStringLiteral("junk"));
    QVERIFY(w->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(readFile(favouritesFile(env)), twoFavourites);
    QVERIFY(env.boxes.isEmpty());
    QCOMPARE(Forms::Show<frmOrganize>()->rtb1->toPlainText(), QString::fromUtf8(twoFavourites));
}

void TestFrmOrganize::failedSaveKeepsTheOldFileAndTheWindow()
{
    TestEnv env;
    QVERIFY(writeFile(favouritesFile(env), twoFavourites));
    frmOrganize *w = Forms::Show<frmOrganize>();
    const QString edited = w->rtb1->toPlainText() + QString(4000, u'x');
    w->rtb1->setPlainText(edited);

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

    QCOMPARE(readFile(favouritesFile(env)), twoFavourites);
    QCOMPARE(QDir(env.programFolder()).entryList(QDir::Files), QStringList {"favourites.ini"});
    QVERIFY(Forms::isLoaded<frmOrganize>());
    QCOMPARE(w->rtb1->toPlainText(), edited);
    QCOMPARE(env.boxes.size(), 1);
    QVERIFY2(env.boxes[0].prompt.contains(QStringLiteral("could not be saved")),
             qPrintable(env.boxes[0].prompt));

    QTest::mouseClick(w->Label3, Qt::LeftButton); // writing works again
    QCOMPARE(readFile(favouritesFile(env)), edited.toUtf8());
}

QTEST_MAIN(TestFrmOrganize)
#include "tst_frmorganize.moc"
