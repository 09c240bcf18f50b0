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
int listedPixels(ProgramRun &run, const QString &main, const QString &shot, QPoint *topLeft)
{
    run.key(main, QStringLiteral("ctrl+c"));
    const QString id = run.waitForWindow(kHistory);
    QTest::qWait(500);
    run.screenshot(shot);
    const QRect window = ProgramRun::geometry(id);
    *topLeft = window.topLeft();
    if (window.size() != QSize(Twips(6870), Twips(4020)))
        return -1;
    const QImage image(QStringLiteral(SCOUTWELL_SHOT_DIR "/") + shot + QStringLiteral(".png"));
    // The list: at (480, 0) in the frame at (360, 480), shown as far as the frame's right
    // edge, 6375 twips from its left; 2955 twips high.
    const QRect list(*topLeft + QPoint(Twips(360) + Twips(480), Twips(480)),
                     QSize(Twips(6375) - Twips(480), Twips(2955)));
    int light = 0;
    for (int y = list.top(); y <= list.bottom(); ++y)
        for (int x = list.left(); x <= list.right(); ++x)
            light += QColor(image.pixel(x, y)).lightness() > 150;
    return light;
}

} // namespace

class TestE2EHistory : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void browsedPagesAreListedAndKilled();
};

void TestE2EHistory::browsedPagesAreListedAndKilled()
{
    LocalHttpServer server;
    // Each page moves on to the next, so one run browses all three.
    const QStringList names {"one", "two", "three"};
    for (int i = 0; i < 3; ++i)
        server.addPage("/" + names[i] + ".html",
                       "<title>" + names[i].toLatin1() + "</title>"
                           + (i < 2 ? "<meta http-equiv=refresh content='0.3;url=/"
                                      + names[i + 1].toLatin1() + ".html'>"
                                    : ""));
    ProgramRun run(QStringLiteral(SCOUTWELL_BIN_DIR), QStringLiteral(SCOUTWELL_SHOT_DIR));
    run.setSetting(QStringLiteral("ShowSplash"), QStringLiteral("0"));
    run.setSetting(QStringLiteral("Start Page"), server.url(QStringLiteral("/one.html")));
    QVERIFY(run.start());
    const QString main = run.waitForWindow(
        QRegularExpression(QStringLiteral("^Scoutwell v3\\.3 - \\[three\\]$")), 30000);
    QVERIFY2(!main.isEmpty(), run.output().constData());
    const QDir cache(QFileInfo(run.programFolder()).absolutePath()
                     + QStringLiteral("/cache/ScoutwellV3/engine/Cache/Cache_Data"));
    const auto entries = [&] { return cache.entryList({QStringLiteral("*_0")}, QDir::Files); };
    // The engine stores its entries a moment after the loads.
    QTRY_VERIFY_WITH_TIMEOUT(entries().size() >= 3, 15000);
    QPoint at;
    QVERIFY(listedPixels(run, main, QStringLiteral("history-listed"), &at) > 300);

    // "Initiate Cache Killer", then Yes to the question and OK to the report.
    ProgramRun::click(at + QPoint(Twips(360 + 4560 + 1695 / 2), Twips(480 + 3120 + 375 / 2)));
    QString box = run.waitForWindow(kKiller);
    QVERIFY(!box.isEmpty());
    run.key(box, QStringLiteral("Return"));
    QTRY_VERIFY_WITH_TIMEOUT(entries().isEmpty(), 5000);
    box = run.waitForWindow(kKiller);
    QVERIFY(!box.isEmpty());
    run.key(box, QStringLiteral("Return"));
    QVERIFY(run.waitForNoWindow(kKiller));
    // "X" closes it; opened again it lists nothing.
    ProgramRun::click(at + QPoint(Twips(6360 + 375 / 2), Twips(255 / 2)));
    QVERIFY(run.waitForNoWindow(kHistory));
    QCOMPARE(listedPixels(run, main, QStringLiteral("history-after-killer"), &at), 0);
    run.key(main, QStringLiteral("ctrl+e"));
    QVERIFY(run.waitForExit());
}

QTEST_MAIN(TestE2EHistory)
#include "tst_e2e_history.moc"
