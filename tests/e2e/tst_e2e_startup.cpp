// The real program under X, as a person starts it: the splash, the main window, the settings
// the start-up leaves behind, the load's error box on a scaled screen, and the program lock's
// login, after which the browsed pages are logged, listed in the history window and killed.
#include "KeptList.h"
#include "LocalHttpServer.h"
#include "ProgramRun.h"
#include "TestEnv.h"
#include "app/App.h"
#include "compat/Twips.h"

#include <QDeadlineTimer>
#include <QScreen>
#include <QtTest>

using compat::Twips;

namespace {
const QRegularExpression kMainWindow(QStringLiteral("^Scoutwell v3\\.3"));
const QRegularExpression kSplash(QStringLiteral("^Scoutwell$")); // also the error box's title
const QRegularExpression kHistory(QStringLiteral("^History$"));
const QRegularExpression kKiller(QStringLiteral("^Dedor\\.adu Zaved$"));

// Shows the history window with Ctrl+C, screenshots it and counts the light pixels of its
// list: its lines of text; -1 when the window is not of its designed size.
int listedPixels(ProgramRun &run, const QString &main, const QString &shot, QString *id)
{
    run.key(main, QStringLiteral("ctrl+c"));
    *id = run.waitForWindow(kHistory);
    QTest::qWait(500);
    const QImage image = run.screenshot(shot);
    const QRect window = ProgramRun::geometry(*id);
    if (window.size() != QSize(Twips(6870), Twips(4020)))
        return -1;
    // The list: at (480, 0) in the frame at (360, 480), shown as far as the frame's right
    // edge, 6375 twips from its left; 2955 twips high.
    const QRect list(window.topLeft() + QPoint(Twips(360) + Twips(480), Twips(480)),
                     QSize(Twips(6375) - Twips(480), Twips(2955)));
    return ProgramRun::countPixels(image, list, [](QColor c) { return c.lightness() > 150; });
}
} // namespace

class TestE2EStartup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void freshProfileShowsSplashThenMainWindow()
    {
        ProgramRun run(QStringLiteral(SCOUTWELL_BIN_DIR), QStringLiteral(SCOUTWELL_SHOT_DIR));
        const QDeadlineTimer splashTime(1900);
        QVERIFY(!run.startUntil(kSplash).isEmpty());
        VERIFY_WINDOW(main, run, waitForWindow(kMainWindow, 20000));
        // The splash's first check comes after two seconds.
        QVERIFY(splashTime.hasExpired());
        QVERIFY(run.waitForNoWindow(kSplash));
        QTRY_COMPARE_WITH_TIMEOUT(ProgramRun::windowTitle(main),
                                  QStringLiteral("Scoutwell v3.3 - [about:blank]"), 10000);
        QCOMPARE(storedSettingsIn(run.settingsFile()),
                 QStringList({"PProg=0", "PSec=0", "ShowSplash=1"}));
        QVERIFY(run.exit(main));
    }

    // The load's error box, titled with the program's name, comes before the main window; on
    // a 1280-pixel screen scaled by two that window is as wide as the screen, not wider.
    void missingBackgroundOnAScaledScreen()
    {
        // The run takes the test's environment as it is made.
        qputenv("QT_SCALE_FACTOR", "2");
        ProgramRun run(QStringLiteral(SCOUTWELL_BIN_DIR), QStringLiteral(SCOUTWELL_SHOT_DIR));
        qunsetenv("QT_SCALE_FACTOR");
        run.setSettings({"ShowSplash", "0", "TB", "1", "GoBtn", "1", "Bground",
                         run.programFolder() + "/gone.bmp"});
        VERIFY_WINDOW(box, run, startUntil(kSplash));
        QVERIFY(run.waitForWindow(kMainWindow, 500).isEmpty());
        run.key(box, QStringLiteral("Return"));
        VERIFY_WINDOW(main, run, waitForWindow(kMainWindow, 15000));
        QTest::qWait(500);
        run.screenshot("input-main-scale-2");
        QCOMPARE(ProgramRun::geometry(main).width(),
                 QGuiApplication::primaryScreen()->geometry().width());
        QVERIFY(run.exit(main));
    }

    // A program lock that is neither on nor off leaves the splash waiting, with no main window;
    // turned on, the login follows: a refused entry, the right one. Then each completed load leaves
    // a line in sitelog.f, holding the address the box showed before it, and Tools > Cache Killer
    // deletes what the history window lists.
    void lockLoginThenLoggedPagesListedAndKilled()
    {
        LocalHttpServer server;
        // Each page moves on to the next, so one run browses all three.
        server.addPage("/one.html",
                       "<title>one</title><meta http-equiv=refresh content='0.3;url=/two.html'>");
        server.addPage("/two.html",
                       "<title>two</title><meta http-equiv=refresh content='0.3;url=/three.html'>");
        server.addPage("/three.html", "<title>three</title>");
        ProgramRun run(QStringLiteral(SCOUTWELL_BIN_DIR), QStringLiteral(SCOUTWELL_SHOT_DIR));
        run.setSettings(
            {"PProg", "2", "Passcode", "Hush1", "Log", "0", "Start Page", server.url("/one.html")});
        QVERIFY(!run.startUntil(kSplash).isEmpty());
        QTest::qWait(4500);
        QVERIFY2(!run.waitForWindow(kSplash, 0).isEmpty(), run.output().constData());
        QVERIFY(
            run.waitForWindow(QRegularExpression("^(Login|Scoutwell v3\\.3.*)$"), 500).isEmpty());
        run.setSettings({"PProg", "1"});
        VERIFY_WINDOW(login, run, waitForWindow(QRegularExpression("^Login$")));
        QTest::qWait(500);
        // No button is the default: Tab from the entry box to OK and press it.
        const auto enter = [&](const QString &passcode) {
            run.type(login, passcode);
            run.key(login, "Tab space");
        };
        enter("hush1");
        const QRegularExpression boxTitle("^Scoutwell v3\\.3$");
        VERIFY_WINDOW(box, run, waitForWindow(boxTitle, 10000));
        run.key(box, "Return");
        QVERIFY(run.waitForNoWindow(boxTitle));
        QVERIFY(server.requests().isEmpty());
        // The focus is back in the box, the refused text still in it.
        run.key(login, "ctrl+a BackSpace");
        enter("Hush1");
        VERIFY_WINDOW(
            main, run,
            waitForWindow(QRegularExpression(QStringLiteral("^Scoutwell v3\\.3 - \\[three\\]$")),
                          30000));

        // The line is written before the title changes.
        QString lines;
        for (const char *page : {"one", "one", "two"})
            lines += "\"\\d\\d/\\d\\d/\\d\\d - \\d\\d:\\d\\d:\\d\\d - "
                + QRegularExpression::escape(server.url(QStringLiteral("/%1.html").arg(page)))
                + "\"\r\n";
        const QString log = QString::fromLatin1(readFile(run.programFolder() + "/sitelog.f"));
        QVERIFY2(QRegularExpression('^' + lines + '$').match(log).hasMatch(), qPrintable(log));

        const QDir cache(run.path() + QStringLiteral("/cache/ScoutwellV3/engine/Cache/Cache_Data"));
        const auto entries = [&] { return cache.entryList({QStringLiteral("*_0")}, QDir::Files); };
        // The engine stores its entries a moment after the loads.
        QTRY_VERIFY_WITH_TIMEOUT(entries().size() >= 3, 15000);
        QString window;
        QVERIFY(listedPixels(run, main, "history-listed", &window) > 300);
        // "Initiate Cache Killer", then Yes to the question and OK to the report.
        run.click(window, QPoint(Twips(360 + 4560 + 1695 / 2), Twips(480 + 3120 + 375 / 2)));
        for (int box = 0; box < 2; ++box) { // the report comes once the files are gone
            VERIFY_WINDOW(id, run, waitForWindow(kKiller));
            run.key(id, "Return");
            QTRY_VERIFY_WITH_TIMEOUT(entries().isEmpty(), 5000);
        }
        QVERIFY(run.waitForNoWindow(kKiller));
        // "X" closes it; opened again it lists nothing.
        run.click(window, QPoint(Twips(6360 + 375 / 2), Twips(255 / 2)));
        QVERIFY(run.waitForNoWindow(kHistory));
        QCOMPARE(listedPixels(run, main, "history-after-killer", &window), 0);
        QVERIFY(run.exit(main));
    }
};

QTEST_MAIN(TestE2EStartup)
#include "tst_e2e_startup.moc"
