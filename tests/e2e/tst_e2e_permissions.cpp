// A page's request for a permission in the real program under X: the bar asks, a person
// clicks Deny, the page hears "denied"; started again, the page hears it with no question;
// the answer removed in the settings window, the page asks again.
#include "LocalHttpServer.h"
#include "ProgramRun.h"
#include "TestEnv.h"
#include "browse/PermissionBar.h"

#include <QLayout>
#include <QPushButton>
#include <QtTest>

namespace {

const QRegularExpression kMain(QStringLiteral("^Scoutwell v3\\.3 - \\[Permission test\\]$"));
const QRegularExpression kSettings(QStringLiteral("^Settings$"));
constexpr int kTimeout = 30000;

// The bar's own colour, which no part of the test's page has.
bool barColour(QColor c)
{
    return c.red() == 255 && c.green() == 244 && c.blue() == 196;
}

// Where the bar is on the screen: the box around its colour, or an empty one.
QRect barOnScreen(const QImage &shot, const QRect &window)
{
    QRect box;
    for (int y = window.top(); y <= window.bottom() && y < shot.height(); ++y)
        for (int x = window.left(); x <= window.right() && x < shot.width(); ++x)
            if (barColour(shot.pixelColor(x, y)))
                box |= QRect(x, y, 1, 1);
    // A few stray pixels are not a bar.
    return box.height() > 15 && box.width() > 300 ? box : QRect();
}

} // namespace

class TestE2EPermissions : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void deniedAndRemembered();
};

void TestE2EPermissions::deniedAndRemembered()
{
    LocalHttpServer server;
    // The page asks as it opens and tells the server what it was told.
    server.addPage(QStringLiteral("/ask.html"),
                   "<title>Permission test</title><body style='background:#fff'>"
                   "<h1>Asks for notifications</h1><script>"
                   "Notification.requestPermission().then(r => fetch('/report?' + r));"
                   "</script>");
    server.addPage(QStringLiteral("/report"), "ok");
    // Each run asks the server again, never the engine's cache.
    for (const char *path : {"/ask.html", "/report"})
        server.addHeader(QLatin1String(path), "Cache-Control: no-store");
    const auto reports = [&] { return server.requests().count(QStringLiteral("/report?denied")); };

    ProgramRun run(QStringLiteral(SCOUTWELL_BIN_DIR), QStringLiteral(SCOUTWELL_SHOT_DIR));
    run.setSettings({"ShowSplash", "0", "Start Page", server.url("/ask.html")});
    const QString store = run.path() + QStringLiteral("/data/ScoutwellV3/permissions.ini");
    VERIFY_WINDOW(main, run, startUntil(kMain));

    QRect bar;
    QVERIFY(QTest::qWaitFor(
        [&] {
            bar = barOnScreen(run.screenshot("permissions-asked"), ProgramRun::geometry(main));
            return bar.isValid();
        },
        kTimeout));
    QVERIFY(server.requests().filter(QStringLiteral("/report")).isEmpty());

    // Deny, where the program lays it out in a bar of that size.
    PermissionBar layout(nullptr);
    layout.resize(bar.size());
    layout.layout()->activate();
    ProgramRun::click({}, bar.topLeft() + layout.cmdDeny->geometry().center());
    QVERIFY(QTest::qWaitFor([&] { return reports() == 1; }, kTimeout));
    QCOMPARE(readFile(store),
             QByteArray("[http://127.0.0.1:" + QByteArray::number(server.port())
                        + "]\nnotifications=deny\n"));
    QVERIFY(QTest::qWaitFor(
        [&] {
            return !barOnScreen(run.screenshot("permissions-denied"), ProgramRun::geometry(main))
                        .isValid();
        },
        kTimeout));

    // The next run: the page is told at once, and no question shows on the way.
    QVERIFY(run.exit(main));
    VERIFY_WINDOW(again, run, startUntil(kMain));
    QVERIFY2(QTest::qWaitFor([&] { return reports() == 2; }, kTimeout),
             qPrintable(server.requests().join(' ') + run.output()));
    // Once the page's heading is drawn, no bar is above it.
    const QRect window = ProgramRun::geometry(again);
    const QRect heading(window.left(), window.top() + 20, 400, 80);
    QImage shown;
    QVERIFY(QTest::qWaitFor(
        [&] {
            shown = run.screenshot("permissions-remembered");
            return ProgramRun::countPixels(shown, heading,
                                           [](QColor c) { return c.lightness() < 60; })
                > 200;
        },
        kTimeout));
    QVERIFY(!barOnScreen(shown, window).isValid());

    // The settings window lists the answer; removed there, the page asks again.
    run.key(again, QStringLiteral("F8"));
    VERIFY_WINDOW(settingsWindow, run, waitForWindow(kSettings));
    const QRect settingsBox = ProgramRun::geometry(settingsWindow);
    // The middle of the list, then the first row with the keyboard.
    ProgramRun::click(settingsWindow, QPoint(settingsBox.width() / 2, 290));
    run.key(settingsWindow, QStringLiteral("Down"));
    run.screenshot("permissions-settings-list");
    run.key(settingsWindow, QStringLiteral("alt+r"));
    QVERIFY(QTest::qWaitFor([&] { return readFile(store).isEmpty(); }, kTimeout));
    run.screenshot("permissions-settings-removed");
    run.key(again, QStringLiteral("F5"));
    QVERIFY(QTest::qWaitFor(
        [&] {
            return barOnScreen(run.screenshot("permissions-asked-again"),
                               ProgramRun::geometry(again))
                .isValid();
        },
        kTimeout));
    QCOMPARE(reports(), 2);
    QVERIFY(run.exit(again));
}

QTEST_MAIN(TestE2EPermissions)
#include "tst_e2e_permissions.moc"
