// Tools > Cache Killer in the real program: pages browsed from the local server are listed
// in the history window, the killer deletes them, and the window opened again lists none.
#include "LocalHttpServer.h"
#include "ProgramRun.h"
#include "platform/App.h"

#include <QDir>
#include <QImage>
#include <QtTest>

using platform::Twips;

namespace {

const QRegularExpression kHistory(QStringLiteral("^History$"));
const QRegularExpression kKiller(QStringLiteral("^Dedor\\.adu Zaved$"));

// Shows the history window with Ctrl+C, screenshots it and counts the light pixels of its
// list: its lines of text; -1 when the window is not of its designed size.
int listedPixels(ProgramRun &run, const QString &main, const QString &shot, QString *id)
{
    run.key(main, QStringLiteral("ctrl+c"));
    *id = run.waitForWindow(kHistory);
    QTest::qWait(500);
    run.screenshot(shot);
    const QRect window = ProgramRun::geometry(*id);
    if (window.size() != QSize(Twips(6870), Twips(4020)))
        return -1;
    const QImage image(QStringLiteral(SCOUTWELL_SHOT_DIR "/") + shot + QStringLiteral(".png"));
    // The list: at (480, 0) in the frame at (360, 480), shown as far as the frame's right
    // edge, 6375 twips from its left; 2955 twips high.
    const QPoint list = window.topLeft() + QPoint(Twips(360) + Twips(480), Twips(480));
    int light = 0;
    for (int y = 0; y < Twips(2955); ++y)
        for (int x = 0; x < Twips(6375) - Twips(480); ++x)
            light += QColor(image.pixel(list + QPoint(x, y))).lightness() > 150;
    return light;
}

} // namespace

class TestE2EHistory : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void browsedPagesAreListedAndKilled()
    {
        LocalHttpServer server;
        // Each page moves on to the next, so one run browses all three.
        server.addPage("/one.html",
                       "<title>one</title><meta http-equiv=refresh content='0.3;url=/two.html'>");
        server.addPage("/two.html",
                       "<title>two</title><meta http-equiv=refresh content='0.3;url=/three.html'>");
        server.addPage("/three.html", "<title>three</title>");
        ProgramRun run(QStringLiteral(SCOUTWELL_BIN_DIR), QStringLiteral(SCOUTWELL_SHOT_DIR));
        run.setSetting("ShowSplash", "0");
        run.setSetting("Start Page", server.url("/one.html"));
        QVERIFY(run.start());
        const QString main = run.waitForWindow(
            QRegularExpression(QStringLiteral("^Scoutwell v3\\.3 - \\[three\\]$")), 30000);
        QVERIFY2(!main.isEmpty(), run.output().constData());
        const QDir cache(run.path() + QStringLiteral("/cache/ScoutwellV3/engine/Cache/Cache_Data"));
        const auto entries = [&] { return cache.entryList({QStringLiteral("*_0")}, QDir::Files); };
        // The engine stores its entries a moment after the loads.
        QTRY_VERIFY_WITH_TIMEOUT(entries().size() >= 3, 15000);
        QString window;
        QVERIFY(listedPixels(run, main, "history-listed", &window) > 300);

        // "Initiate Cache Killer", then Yes to the question and OK to the report.
        run.click(window, QPoint(Twips(360 + 4560 + 1695 / 2), Twips(480 + 3120 + 375 / 2)));
        for (int box = 0; box < 2; ++box) { // the report comes once the files are gone
            const QString id = run.waitForWindow(kKiller);
            QVERIFY(!id.isEmpty());
            run.key(id, "Return");
            QTRY_VERIFY_WITH_TIMEOUT(entries().isEmpty(), 5000);
        }
        QVERIFY(run.waitForNoWindow(kKiller));
        // "X" closes it; opened again it lists nothing.
        run.click(window, QPoint(Twips(6360 + 375 / 2), Twips(255 / 2)));
        QVERIFY(run.waitForNoWindow(kHistory));
        QCOMPARE(listedPixels(run, main, "history-after-killer", &window), 0);
        run.key(main, "ctrl+e");
        QVERIFY(run.waitForExit());
    }
};

QTEST_MAIN(TestE2EHistory)
#include "tst_e2e_history.moc"
