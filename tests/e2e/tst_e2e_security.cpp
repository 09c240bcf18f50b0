// The program lock and the site log in the real program under X: the login a person sees
// after the splash, a refused entry, the right one, and the line a loaded page leaves in
// sitelog.f.
#include "LocalHttpServer.h"
#include "ProgramRun.h"

#include <QFile>
#include <QtTest>

namespace {
const QRegularExpression kLogin(QStringLiteral("^Login$"));
const QRegularExpression kBox(QStringLiteral("^Scoutwell v3\\.3$"));

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// No button is the default: Tab from the entry box to OK and press it.
void pressOk(ProgramRun &run, const QString &window)
{
    run.key(window, QStringLiteral("Tab"));
    run.key(window, QStringLiteral("space"));
}
} // namespace

class TestE2ESecurity : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void loginThenLoggedPage();
    void loginCancelEndsTheProgram();
};

void TestE2ESecurity::loginThenLoggedPage()
{
    LocalHttpServer server;
    server.addPage(QStringLiteral("/logged.html"),
                   "<html><head><title>Logged Page</title></head><body>Logged</body></html>");
    const QString url = server.url(QStringLiteral("/logged.html"));
    ProgramRun run(QStringLiteral(SCOUTWELL_BIN_DIR), QStringLiteral(SCOUTWELL_SHOT_DIR));
    run.setSetting(QStringLiteral("PProg"), QStringLiteral("1"));
    run.setSetting(QStringLiteral("Passcode"), QStringLiteral("Hush1"));
    run.setSetting(QStringLiteral("Log"), QStringLiteral("0"));
    run.setSetting(QStringLiteral("Start Page"), url);
    QVERIFY(run.start());

    const QString login = run.waitForWindow(kLogin, 20000);
    QVERIFY2(!login.isEmpty(), run.output().constData());
    QTest::qWait(500);
    run.type(login, QStringLiteral("hush1"));
    pressOk(run, login);
    const QString box = run.waitForWindow(kBox, 10000);
    QVERIFY2(!box.isEmpty(), run.output().constData());
    run.screenshot(QStringLiteral("security-login-refused"));
    run.key(box, QStringLiteral("Return"));
    QVERIFY(run.waitForNoWindow(kBox));
    QVERIFY(!server.requests().contains(QStringLiteral("/logged.html")));

    // The focus is back in the box, the refused text still in it.
    run.key(login, QStringLiteral("ctrl+a"));
    run.key(login, QStringLiteral("BackSpace"));
    run.type(login, QStringLiteral("Hush1"));
    pressOk(run, login);
    const QString main = run.waitForWindow(
        QRegularExpression(QStringLiteral("^Scoutwell v3\\.3 - \\[Logged Page\\]$")), 30000);
    QVERIFY2(!main.isEmpty(), run.output().constData());
    QVERIFY(run.waitForNoWindow(kLogin));
    run.screenshot(QStringLiteral("security-after-login"));

    // One completed load: one line, holding the address the box showed before it.
    const QRegularExpression line(
        QStringLiteral("^\"\\d\\d/\\d\\d/\\d\\d - \\d\\d:\\d\\d:\\d\\d - %1\"\r\n$")
            .arg(QRegularExpression::escape(url)));
    const QString logPath = run.programFolder() + QStringLiteral("/sitelog.f");
    QTRY_VERIFY_WITH_TIMEOUT(!readFile(logPath).isEmpty(), 10000);
    QTest::qWait(500);
    const QString log = QString::fromLatin1(readFile(logPath));
    QVERIFY2(line.match(log).hasMatch(), qPrintable(log));
    QCOMPARE(run.setting(QStringLiteral("Log")), QStringLiteral("1"));
    QCOMPARE(run.setting(QStringLiteral("Passcode")), QStringLiteral("Hush1"));

    run.key(main, QStringLiteral("ctrl+e"));
    QVERIFY(run.waitForExit());
    QCOMPARE(run.exitCode(), 0);
}

void TestE2ESecurity::loginCancelEndsTheProgram()
{
    ProgramRun run(QStringLiteral(SCOUTWELL_BIN_DIR), QStringLiteral(SCOUTWELL_SHOT_DIR));
    run.setSetting(QStringLiteral("PProg"), QStringLiteral("1"));
    QVERIFY(run.start());
    const QString login = run.waitForWindow(kLogin, 20000);
    QVERIFY2(!login.isEmpty(), run.output().constData());
    QTest::qWait(500);
    run.key(login, QStringLiteral("Tab"));
    pressOk(run, login); // one Tab further: Cancel
    QVERIFY(run.waitForExit());
    QCOMPARE(run.exitStatus(), QProcess::NormalExit);
    QCOMPARE(run.exitCode(), 0);
}

QTEST_MAIN(TestE2ESecurity)
#include "tst_e2e_security.moc"
