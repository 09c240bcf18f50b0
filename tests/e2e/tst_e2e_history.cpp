// Tools > Cache Killer in the real program: pages browsed from the local server are listed
// in the history window, the killer deletes them, and the window opened again lists none.
#include "LocalHttpServer.h"
#include "ProgramRun.h"
#include "platform/App.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QtTest>

namespace {

const QRegularExpression kHistory(QStringLiteral("^History$"));

QRect geometryOf(const QString &id)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"),
            {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), id});
    p.waitForFinished();
    QHash<QString, int> v;
    for (const QString &line : QString::fromLatin1(p.readAllStandardOutput()).split('\n'))
        v.insert(line.section('=', 0, 0), line.section('=', 1).toInt());
    return QRect(v.value(QStringLiteral("X")), v.value(QStringLiteral("Y")),
                 v.value(QStringLiteral("WIDTH")), v.value(QStringLiteral("HEIGHT")));
}

void click(const QPoint &at)
{
    QProcess::execute(QStringLiteral("xdotool"),
                      {QStringLiteral("mousemove"), QString::number(at.x()),
                       QString::number(at.y()), QStringLiteral("click"), QStringLiteral("1")});
}

// Light pixels in the history window's list area of a screenshot: its lines of text.
int listTextPixels(const QString &shot, const QRect &window)
{
    const QImage image(shot);
    const QRect list = QRect(window.x() + 56, window.y() + 32, 400, 190) & image.rect();
    int light = 0;
    for (int y = list.top(); y <= list.bottom(); ++y)
        for (int x = list.left(); x <= list.right(); ++x)
            light += QColor(image.pixel(x, y)).lightness() > 150;
    return light;
}

QStringList entryFiles(const ProgramRun &run)
{
    const QString folder = QFileInfo(run.programFolder()).absolutePath()
        + QStringLiteral("/cache/ScoutwellV3/engine/Cache/Cache_Data");
    return QDir(folder).entryList({QStringLiteral("*_0")}, QDir::Files);
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
    server.addPage(
        QStringLiteral("/one.html"),
        "<html><head><title>One</title></head><body>One"
        "<script>setTimeout(function(){location='/two.html'},300)</script></body></html>");
    server.addPage(QStringLiteral("/two.html"),
                   "<html><head><title>Two</title></head><body>Two"
                   "<script>setTimeout(function(){location='/three.html'},300)</script>"
                   "</body></html>");
    server.addPage(QStringLiteral("/three.html"),
                   "<html><head><title>Three</title></head><body>Three</body></html>");
    ProgramRun run(QStringLiteral(SCOUTWELL_BIN_DIR), QStringLiteral(SCOUTWELL_SHOT_DIR));
    run.setSetting(QStringLiteral("ShowSplash"), QStringLiteral("0"));
    run.setSetting(QStringLiteral("Start Page"), server.url(QStringLiteral("/one.html")));
    QVERIFY(run.start());
    const QString main = run.waitForWindow(
        QRegularExpression(QStringLiteral("^Scoutwell v3\\.3 - \\[Three\\]$")), 30000);
    QVERIFY2(!main.isEmpty(), run.output().constData());
    // The engine stores its entries a moment after the loads.
    QTRY_VERIFY_WITH_TIMEOUT(entryFiles(run).size() >= 3, 15000);

    run.key(main, QStringLiteral("ctrl+c"));
    QString history = run.waitForWindow(kHistory);
    QVERIFY(!history.isEmpty());
    QTest::qWait(500);
    const QString shotDir = QStringLiteral(SCOUTWELL_SHOT_DIR);
    run.screenshot(QStringLiteral("history-listed"));
    QRect window = geometryOf(history);
    QCOMPARE(window.size(), QSize(platform::Twips(6870), platform::Twips(4020)));
    QVERIFY(listTextPixels(shotDir + QStringLiteral("/history-listed.png"), window) > 300);

    // "Initiate Cache Killer", then Yes to the question and OK to the report.
    click(window.topLeft()
          + QPoint(platform::Twips(360 + 4560) + platform::Twips(1695) / 2,
                   platform::Twips(480 + 3120) + platform::Twips(375) / 2));
    const QRegularExpression killer(QStringLiteral("^Dedor\\.adu Zaved$"));
    QString box = run.waitForWindow(killer);
    QVERIFY(!box.isEmpty());
    run.key(box, QStringLiteral("Return"));
    QTRY_VERIFY_WITH_TIMEOUT(entryFiles(run).isEmpty(), 5000);
    box = run.waitForWindow(killer);
    QVERIFY(!box.isEmpty());
    run.key(box, QStringLiteral("Return"));
    QVERIFY(run.waitForNoWindow(killer));

    // "X" closes it; opened again it lists nothing.
    click(window.topLeft()
          + QPoint(platform::Twips(6360) + platform::Twips(375) / 2, platform::Twips(255) / 2));
    QVERIFY(run.waitForNoWindow(kHistory));
    run.key(main, QStringLiteral("ctrl+c"));
    history = run.waitForWindow(kHistory);
    QVERIFY(!history.isEmpty());
    QTest::qWait(500);
    run.screenshot(QStringLiteral("history-after-killer"));
    window = geometryOf(history);
    QCOMPARE(listTextPixels(shotDir + QStringLiteral("/history-after-killer.png"), window), 0);

    run.key(main, QStringLiteral("ctrl+e"));
    QVERIFY(run.waitForExit());
}

QTEST_MAIN(TestE2EHistory)
#include "tst_e2e_history.moc"
