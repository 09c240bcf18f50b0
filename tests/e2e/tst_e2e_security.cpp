// The program lock and the site log in the real program under X: the login a person sees
// after the splash, a refused entry, the right one, and the line a loaded page leaves in
// sitelog.f.
#include "LocalHttpServer.h"
#include "ProgramRun.h"

#include <QFile>
#include <QtTest>

class TestE2ESecurity : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void loginThenLoggedPage()
    {
        LocalHttpServer server;
        server.addPage("/logged.html", "<html><head><title>Logged Page</title></head></html>");
        const QString url = server.url("/logged.html");
        ProgramRun run(QStringLiteral(SCOUTWELL_BIN_DIR), QStringLiteral(SCOUTWELL_SHOT_DIR));
        for (auto [key, value] : {std::pair {"PProg", "1"}, {"Passcode", "Hush1"}, {"Log", "0"}})
            run.setSetting(key, value);
        run.setSetting("Start Page", url);
        QVERIFY(run.start());
        const QString login = run.waitForWindow(QRegularExpression("^Login$"));
        QVERIFY2(!login.isEmpty(), run.output().constData());
        QTest::qWait(500);
        // No button is the default: Tab from the entry box to OK and press it.
        const auto enter = [&](const QString &passcode) {
            run.type(login, passcode);
            run.key(login, "Tab space");
        };
        enter("hush1");
        const QRegularExpression boxTitle("^Scoutwell v3\\.3$");
        const QString box = run.waitForWindow(boxTitle, 10000);
        QVERIFY2(!box.isEmpty(), run.output().constData());
        run.screenshot("security-login-refused");
        run.key(box, "Return");
        QVERIFY(run.waitForNoWindow(boxTitle));
        QVERIFY(!server.requests().contains("/logged.html"));

        // The focus is back in the box, the refused text still in it.
        run.key(login, "ctrl+a BackSpace");
        enter("Hush1");
        QVERIFY2(
            !run.waitForWindow(QRegularExpression("^Scoutwell v3\\.3 - \\[Logged Page\\]$"), 30000)
                 .isEmpty(),
            run.output().constData());

        // One completed load: one line, holding the address the box showed before it.
        QFile log(run.programFolder() + "/sitelog.f");
        QTRY_VERIFY_WITH_TIMEOUT(log.size() > 0, 10000);
        QTest::qWait(500);
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString text = QString::fromLatin1(log.readAll());
        QVERIFY2(QRegularExpression(
                     QStringLiteral("^\"\\d\\d/\\d\\d/\\d\\d - \\d\\d:\\d\\d:\\d\\d - %1\"\r\n$")
                         .arg(QRegularExpression::escape(url)))
                     .match(text)
                     .hasMatch(),
                 qPrintable(text));
    }
};

QTEST_MAIN(TestE2ESecurity)
#include "tst_e2e_security.moc"
