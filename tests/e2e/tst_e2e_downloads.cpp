// Downloads in the real program under X, as a person makes them: links on a page of the
// test's server clicked, the save dialog answered with Enter, the Downloads window's
// buttons clicked, the program ended and started again. One program run serves every case.
#include "CacheFiles.h"
#include "KeptList.h"
#include "LocalHttpServer.h"
#include "ProgramRun.h"
#include "downloads/frmDownloads.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

const QRegularExpression kMain(QStringLiteral("^Scoutwell v3\\.3 - \\[Downloads test\\]$"));
const QRegularExpression kSaveDialog(QStringLiteral("^Save File$"));
const QRegularExpression kDownloads(QStringLiteral("^Downloads$"));
const QRegularExpression kBox(QStringLiteral("^Scoutwell$"));
constexpr int kTimeout = 60000;

// The page is one band per link, top to bottom.
// clang-format off
const struct { const char *name; LocalHttpServer::Pacing pacing; } kLinks[] = {
    {"freeware-setup.zip", {256 << 10, 40, -1, true}},       // about 3 s
    {"cancel-me.zip",      {128 << 10, 50, -1, true}},       // about 8 s
    {"pause-me.zip",       {128 << 10, 50, -1, true}},
    {"broken.zip",         {128 << 10, 50, 3 << 20, true}},  // the connection is reset at 3 MB
    {"still-running.zip",  {64 << 10, 100, -1, true}},       // about 30 s
    {"cut-short.zip",      {128 << 10, 20, 1 << 20, false}}, // closed early, every time
};
// clang-format on
enum Link { Setup, CancelMe, PauseMe, Broken, StillRunning, CutShort };
constexpr int kBands = int(std::size(kLinks));

} // namespace

class TestE2EDownloads : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void downloadsAsAPersonMakesThem();
};

void TestE2EDownloads::downloadsAsAPersonMakesThem()
{
    QTemporaryDir served;
    const QString source = served.filePath(QStringLiteral("served.bin"));
    QByteArray bytes(20 << 20, Qt::Uninitialized);
    QRandomGenerator(12).fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
    QVERIFY(cachefiles::writeFile(source, bytes));
    LocalHttpServer server;
    QByteArray page = "<title>Downloads test</title><style>body{margin:0}a{display:block;"
                      "font:28px sans-serif;height:"
        + QByteArray::number(100.0 / kBands) + "vh}</style>";
    for (const auto &link : kLinks) {
        server.addDownload(QStringLiteral("/files/") + link.name, source, link.pacing);
        page += "<a href='/files/" + QByteArray(link.name) + "'>" + link.name + "</a>";
    }
    server.addPage(QStringLiteral("/index.html"), page);

    ProgramRun run(QStringLiteral(SCOUTWELL_BIN_DIR), QStringLiteral(SCOUTWELL_SHOT_DIR));
    run.setSettings({"ShowSplash", "0", "Start Page", server.url("/index.html")});
    const QString folder = run.path() + QStringLiteral("/Downloads/");
    const QString list = run.path() + QStringLiteral("/data/ScoutwellV3/downloads.json");
    QString main, window;
    const auto start = [&] { return !(main = run.startUntil(kMain)).isEmpty(); };
    const auto kept = [&](const char *name, const char *field) {
        return keptRow(list, QLatin1String(name)).value(QLatin1String(field)).toString();
    };
    const auto reaches = [&](const char *name, const char *state) {
        return QTest::qWaitFor([&] { return kept(name, "state") == QLatin1String(state); },
                               kTimeout);
    };
    const auto sent = [&](Link link, qint64 bytes) {
        const QString path = QStringLiteral("/files/") + kLinks[link].name;
        return QTest::qWaitFor([&] { return server.sentBytes(path) >= bytes; }, kTimeout);
    };
    // Clicks the link's band and presses Enter in the save dialog, which offers the download
    // folder and a free name; then the pointer leaves the page, so that the status bar shows
    // no link's address.
    const auto download = [&](Link link) {
        const QRect page = ProgramRun::geometry(main).adjusted(0, 30, 0, -22);
        ProgramRun::click(
            {}, page.topLeft() + QPoint(200, page.height() * (2 * link + 1) / (2 * kBands)));
        const QString dialog = run.waitForWindow(kSaveDialog);
        run.key(dialog, QStringLiteral("Return"));
        window = run.waitForWindow(kDownloads);
        ProgramRun::click({}, ProgramRun::geometry(window).topLeft() + QPoint(300, 5), 0);
        return !dialog.isEmpty() && run.waitForNoWindow(kSaveDialog) && !window.isEmpty();
    };
    // A place in a row of the Downloads window, rows counted from the top: the rows are
    // laid out here as the program lays them out, with the same fonts and style.
    const auto at = [&](int row, const char *control) {
        return ProgramRun::geometry(window).topLeft() + DownloadRow::place(control).center()
            + QPoint(0, row * DownloadRow::standardSize().height());
    };
    QVERIFY2(start(), run.output().constData());
    const QRect status = ProgramRun::geometry(main).adjusted(2, 0, 0, 0);
    // The start of the status bar, left of where the Downloads window opens.
    const QRect statusBar(status.left(), status.bottom() - 18, 300, 16);
    const auto dark = [](QColor c) { return c.lightness() < 100; };
    const auto blue = [](QColor c) { return c.blue() > c.red() + 60; };
    // The idle status, once the load's last word is on screen: the caption can reach the X
    // server a frame before the status bar's repaint does. The pointer waits off the page,
    // where no link's address can take the status bar.
    ProgramRun::click({}, status.bottomRight() - QPoint(100, 8), 0);
    int idleStatus = -1;
    QVERIFY(QTest::qWaitFor([&] {
        const int before = idleStatus;
        idleStatus = ProgramRun::countPixels(run.screenshot("downloads-page"), statusBar, dark);
        return idleStatus == before;
    }));

    // A slow download: the window comes up without taking the keyboard from the page, and
    // both its bar and the status bar show it going.
    QVERIFY(download(Setup));
    QVERIFY(sent(Setup, 4 << 20));
    const QImage early = run.screenshot("downloads-progress-1");
    QVERIFY(sent(Setup, 12 << 20));
    const QImage later = run.screenshot("downloads-progress-2");
    const QRect bar(at(0, "prgDone") - QPoint(140, 6), QSize(280, 12));
    QVERIFY(ProgramRun::countPixels(later, bar, blue)
            > ProgramRun::countPixels(early, bar, blue) + 100);
    const int busyStatus = ProgramRun::countPixels(later, statusBar, dark);
    QVERIFY2(busyStatus > 2 * idleStatus + 50,
             qPrintable(QStringLiteral("status bar: %1 dark pixels idle, %2 busy")
                            .arg(idleStatus)
                            .arg(busyStatus)));
    QVERIFY(ProgramRun::capture("xdotool", {"getwindowfocus"}).trimmed() != window);
    QVERIFY(reaches("freeware-setup.zip", "finished"));
    QCOMPARE(readFile(folder + QStringLiteral("freeware-setup.zip")), bytes);
    // Fetched over plain HTTP: its row says so in red, and the list keeps the mark.
    QVERIFY(keptRow(list, QStringLiteral("freeware-setup.zip"))
                .value(QLatin1String("not_encrypted"))
                .toBool());
    const QRect mark(at(0, "lblEncryption") - QPoint(30, 5), QSize(60, 10));
    QVERIFY(ProgramRun::countPixels(
                run.screenshot("downloads-not-encrypted"), mark,
                [](QColor c) { return c.red() > 180 && c.green() < 90 && c.blue() < 90; })
            > 20);
    const QString sum = ProgramRun::capture("sha256sum", {source}).left(64);
    QTRY_COMPARE_WITH_TIMEOUT(kept("freeware-setup.zip", "sha256"), sum, kTimeout);
    ProgramRun::click({}, at(0, "cmdCopy"));
    QTRY_COMPARE(ProgramRun::clipboard(), sum);

    // Cancelled half-way: nothing is left under the file's name.
    QVERIFY(download(CancelMe));
    QVERIFY(sent(CancelMe, 2 << 20));
    ProgramRun::click({}, at(0, "cmdCancel"));
    QVERIFY(reaches("cancel-me.zip", "cancelled"));
    QTRY_COMPARE_WITH_TIMEOUT(QDir(folder).entryList({QStringLiteral("cancel-me*")}), QStringList(),
                              kTimeout);

    // The same file again lands beside the first under a numbered name.
    QVERIFY(download(Setup));
    QVERIFY(reaches("freeware-setup (1).zip", "finished"));
    QCOMPARE(readFile(folder + QStringLiteral("freeware-setup (1).zip")), bytes);

    // Paused, a reset connection, and one still running, in sight with the finished row
    // whose published sum, typed in, matches.
    QVERIFY(download(PauseMe));
    QVERIFY(sent(PauseMe, 2 << 20));
    ProgramRun::click({}, at(0, "cmdPause"));
    QVERIFY(reaches("pause-me.zip", "paused"));
    QVERIFY(download(Broken));
    QVERIFY(reaches("broken.zip", "failed"));
    QVERIFY(!kept("broken.zip", "reason").isEmpty());
    QVERIFY(download(StillRunning));
    QVERIFY(sent(StillRunning, 1 << 20));
    // Rows: still-running, broken, pause-me, freeware-setup (1), cancel-me, freeware-setup.
    ProgramRun::click({}, at(3, "txtPublished"));
    run.type(window, sum.toUpper());
    QTest::qWait(1000);
    const QRect verdict(at(3, "lblVerdict") - QPoint(130, 10), QSize(260, 20));
    QVERIFY(ProgramRun::countPixels(run.screenshot("downloads-four-states"), verdict,
                                    [](QColor c) { return c.green() > c.red() + 60; })
            > 20);

    // Resumed, the paused file arrives whole.
    ProgramRun::click({}, at(2, "cmdPause"));
    QVERIFY(reaches("pause-me.zip", "finished"));
    QCOMPARE(readFile(folder + QStringLiteral("pause-me.zip")), bytes);

    // A server that ends the file early each time: the engine tries again into the same
    // file and row, without asking where to save it, and at last gives up.
    QVERIFY(download(CutShort));
    QVERIFY(reaches("cut-short.zip", "failed"));
    QVERIFY(server.requests().count(QStringLiteral("/files/cut-short.zip")) > 1);
    QVERIFY(run.waitForWindow(kSaveDialog, 500).isEmpty());
    QVERIFY(kept("cut-short.zip", "reason").startsWith(QStringLiteral("The server ended")));

    // Exit asks while one still runs: No stays, Yes cancels it and ends the program.
    for (const char *answer : {"alt+n", "alt+y"}) {
        run.key(main, QStringLiteral("ctrl+e"));
        VERIFY_WINDOW(box, run, waitForWindow(kBox));
        run.key(box, QLatin1String(answer));
        QVERIFY(run.waitForNoWindow(kBox));
    }
    QVERIFY(run.waitForExit());
    QCOMPARE(kept("still-running.zip", "state"), QStringLiteral("cancelled"));
    const QJsonArray before = keptRows(list);
    QCOMPARE(before.size(), 7);

    // Started again, the earlier rows are there, and a new download joins them.
    QVERIFY(QFile::remove(folder + QStringLiteral("freeware-setup.zip")));
    QVERIFY(start());
    run.key(main, QStringLiteral("ctrl+j"));
    QVERIFY(!run.waitForWindow(kDownloads).isEmpty());
    run.settledScreenshot(QStringLiteral("downloads-after-restart"));
    QVERIFY(download(Setup));
    QTRY_COMPARE_WITH_TIMEOUT(keptRows(list).size(), 8, kTimeout);
    QVERIFY(reaches("freeware-setup.zip", "finished"));
    QCOMPARE(keptRows(list).last(), before.last());
    QVERIFY(run.exit(main));
}

QTEST_MAIN(TestE2EDownloads)
#include "tst_e2e_downloads.moc"
