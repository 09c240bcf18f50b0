#include "FakeWebBrowser.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "browse/Form1.h"
#include "browse/SiteLog.h"
#include "platform/Clock.h"
#include "platform/Settings.h"
#include "security/Security2.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray readLog()
{
    QFile f(SiteLogPath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(no file)");
}

// The main window with its browser window (which ticks the log box as it loads) and a
// clock stopped at 7 March 2004, 09:05:03.
FakeWebBrowser *startBrowsing()
{
    platform::SetClock([] { return QDateTime(QDate(2004, 3, 7), QTime(9, 5, 3)); });
    Forms::Show<MDIForm1>();
    return FakeWebBrowser::last();
}

} // namespace

class TestSiteLog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { platform::SetClock({}); }
    void line_data();
    void line();
    void completions_data();
    void completions();
    void unwritableFileSkipsTheLine_data();
    void unwritableFileSkipsTheLine();
    void browserLoadTicksTheBox_data();
    void browserLoadTicksTheBox();
};

void TestSiteLog::line_data()
{
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("plain") << QDateTime(QDate(2023, 12, 31), QTime(23, 59, 58))
                           << "http://www.example.org/a?b=c"
                           << QByteArray(
                                  "\"31/12/23 - 23:59:58 - http://www.example.org/a?b=c\"\r\n");
    QTest::newRow("leading zeros") << QDateTime(QDate(2000, 1, 2), QTime(0, 4, 5)) << "x"
                                   << QByteArray("\"02/01/00 - 00:04:05 - x\"\r\n");
    QTest::newRow("empty address") << QDateTime(QDate(2009, 10, 11), QTime(12, 0, 0)) << ""
                                   << QByteArray("\"11/10/09 - 12:00:00 - \"\r\n");
    QTest::newRow("quote inside") << QDateTime(QDate(2009, 10, 11), QTime(12, 0, 0))
                                  << "say \"hi\", ok"
                                  << QByteArray("\"11/10/09 - 12:00:00 - say \"hi\", ok\"\r\n");
}

void TestSiteLog::line()
{
    QFETCH(QDateTime, when);
    QFETCH(QString, address);
    QFETCH(QByteArray, bytes);
    QCOMPARE(SiteLogLine(when, address), bytes);
}

void TestSiteLog::completions_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("urls"); // one completed download each
    QTest::addColumn<bool>("logOn");
    QTest::addColumn<QByteArray>("log");
    const QByteArray stamp = "\"07/03/04 - 09:05:03 - ";
    // Each line holds what the box showed before that completion replaced it.
    QTest::newRow("one page typed") << "example.org" << QStringList {"http://example.org/"} << true
                                    << stamp + "example.org\"\r\n";
    QTest::newRow("three completions")
        << "" << QStringList {"http://a.example/", "http://a.example/", "http://b.example/"} << true
        << stamp + "\"\r\n" + stamp + "http://a.example/\"\r\n" + stamp + "http://a.example/\"\r\n";
    QTest::newRow("box cleared") << "example.org" << QStringList {"http://example.org/"} << false
                                 << QByteArray("(no file)");
}

void TestSiteLog::completions()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, urls);
    QFETCH(bool, logOn);
    QFETCH(QByteArray, log);
    TestEnv env;
    FakeWebBrowser *browser = startBrowsing();
    Forms::get<Security2>()->Check1->setChecked(logOn);
    Forms::get<MDIForm1>()->Combo1->setEditText(typed);
    for (const QString &url : urls)
        browser->completeLoad(url);
    QCOMPARE(readLog(), log);
    QCOMPARE(Forms::get<MDIForm1>()->Combo1->currentText(), urls.last());
    struct stat st
    {
    };
    if (logOn) {
        QVERIFY(::stat(QFile::encodeName(SiteLogPath()).constData(), &st) == 0);
        QCOMPARE(st.st_mode & 0777, 0600u);
    }
}

void TestSiteLog::unwritableFileSkipsTheLine_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("program folder gone") << "gone";
    QTest::newRow("sitelog.f is a folder") << "folder";
    QTest::newRow("read-only program folder") << "read-only";
}

void TestSiteLog::unwritableFileSkipsTheLine()
{
    QFETCH(QString, how);
    TestEnv env;
    FakeWebBrowser *browser = startBrowsing();
    if (how == QLatin1String("gone")) {
        QVERIFY(QDir(env.programFolder()).removeRecursively());
    } else if (how == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(SiteLogPath()));
    } else {
        if (::geteuid() == 0)
            QSKIP("the superuser writes into read-only folders");
        QVERIFY(QFile::setPermissions(env.programFolder(),
                                      QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }
    browser->completeLoad(QStringLiteral("http://example.org/"), QStringLiteral("Example"));
    // Browsing goes on as if the line had been written.
    MDIForm1 *main = Forms::get<MDIForm1>();
    QCOMPARE(main->Combo1->currentText(), QStringLiteral("http://example.org/"));
    QCOMPARE(main->Combo1->count(), 1);
    QCOMPARE(Forms::get<Form1>()->windowTitle(), QStringLiteral("Example"));
    QVERIFY(!QFileInfo(SiteLogPath()).isFile());
    QFile::setPermissions(env.programFolder(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void TestSiteLog::browserLoadTicksTheBox_data()
{
    QTest::addColumn<QString>("stored"); // "-" for absent
    QTest::addColumn<QStringList>("logAfter");
    QTest::newRow("absent") << "-" << QStringList();
    QTest::newRow("off") << "0" << QStringList {"Log=1"};
    QTest::newRow("on") << "1" << QStringList {"Log=1"};
    QTest::newRow("odd") << "no" << QStringList {"Log=no"};
}

void TestSiteLog::browserLoadTicksTheBox()
{
    QFETCH(QString, stored);
    QFETCH(QStringList, logAfter);
    TestEnv env;
    if (stored != QLatin1String("-"))
        platform::SaveSetting(QStringLiteral("Log"), stored);
    Forms::get<Security2>();
    startBrowsing();
    QVERIFY(Forms::get<Security2>()->Check1->isChecked());
    const QStringList log
        = env.storedSettings().filter(QRegularExpression(QStringLiteral("^Log=")));
    QCOMPARE(log, logAfter);
}

QTEST_MAIN(TestSiteLog)
#include "tst_sitelog.moc"
