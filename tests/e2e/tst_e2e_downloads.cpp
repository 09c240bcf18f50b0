// Downloads in the real program under X, as a person makes them: links on a page of the
// test's server clicked, the save dialog answered with keys, the Downloads window's buttons
// clicked, the program ended and started again. One program run serves every case.
#include "LocalHttpServer.h"
#include "ProgramRun.h"
#include "downloads/frmDownloads.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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
    {"freeware-setup.zip", {256 << 10, 40, -1, true}},     // about 3 s
    {"cancel-me.zip",      {128 << 10, 50, -1, true}},     // about 8 s
    {"pause-me.zip",       {128 << 10, 50, -1, true}},
    {"broken.zip",         {128 << 10, 50, 3 << 20, true}}, // the connection is reset at 3 MB
    {"still-running.zip",  {64 << 10, 100, -1, true}},     // about 30 s
    {"cut-short.zip",      {128 << 10, 20, 1 << 20, false}}, // closed early, every time
};
// clang-format on
enum Link { Setup, CancelMe, PauseMe, Broken, StillRunning, CutShort };
constexpr int kBands = int(std::size(kLinks));

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString sha256sum(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("sha256sum"), {path});
    p.waitForFinished();
    return QString::fromLatin1(p.readAllStandardOutput()).section(QLatin1Char(' '), 0, 0);
}

// Pixels of `image` inside `area` that pass `test`.
int countPixels(const QString &shot, const QRect &area, bool (*test)(QColor))
{
    const QImage image(QStringLiteral(SCOUTWELL_SHOT_DIR "/") + shot + QStringLiteral(".png"));
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += test(image.pixelColor(x, y));
    return n;
}

bool dark(QColor c)
{
    return c.lightness() < 100;
}

bool highlight(QColor c)
{
    return c.blue() > c.red() + 60;
}

class Session
{
public:
    Session(LocalHttpServer &server, ProgramRun &run) : m_server(server), m_run(run) { }

    QString downloadsFolder() const { return m_run.home() + QStringLiteral("/Downloads"); }
    QString listFile() const
    {
        return m_run.home() + QStringLiteral("/data/ScoutwellV3/downloads.json");
    }

    bool start()
    {
        if (!m_run.start())
            return false;
        m_main = m_run.waitForWindow(kMain, 30000);
        return !m_main.isEmpty();
    }
    QString main() const { return m_main; }

    // Clicks the link's band on the page and presses Enter in the save dialog, which offers
    // the download folder and a free name.
    bool download(Link link)
    {
        const QRect page = ProgramRun::geometry(m_main).adjusted(0, 30, 0, -22);
        ProgramRun::click(QPoint(page.left() + 200,
                                 page.top() + page.height() * (2 * int(link) + 1) / (2 * kBands)));
        const QString dialog = m_run.waitForWindow(kSaveDialog);
        if (dialog.isEmpty())
            return false;
        m_run.key(dialog, QStringLiteral("Return"));
        if (!m_run.waitForNoWindow(kSaveDialog))
            return false;
        m_window = m_run.waitForWindow(kDownloads);
        // Off the page, so the engine's status text is not a link's address.
        ProgramRun::mouseMove(ProgramRun::geometry(m_window).topLeft() + QPoint(300, 5));
        return !m_window.isEmpty();
    }
    QString window() const { return m_window; }

    // A point of a row of the Downloads window, rows counted from the top.
    QPoint at(int row, const QRect &place) const
    {
        return ProgramRun::geometry(m_window).topLeft() + place.center()
            + QPoint(0, row * DownloadRow::kHeight);
    }
    void click(int row, const QRect &place) const { ProgramRun::click(at(row, place)); }

    // The kept rows, newest first.
    QJsonArray kept() const
    {
        return QJsonDocument::fromJson(readFile(listFile()))
            .object()
            .value(QStringLiteral("downloads"))
            .toArray();
    }
    // The newest kept row of the file called `name`.
    QJsonObject kept(const QString &name) const
    {
        for (const QJsonValue &v : kept()) {
            if (v[QStringLiteral("path")].toString() == downloadsFolder() + '/' + name)
                return v.toObject();
        }
        return {};
    }
    QString state(const QString &name) const
    {
        return kept(name).value(QStringLiteral("state")).toString();
    }
    bool waitForState(const QString &name, const char *state) const
    {
        return QTest::qWaitFor([&] { return this->state(name) == QLatin1String(state); }, kTimeout);
    }
    bool waitForBytesSent(Link link, qint64 bytes) const
    {
        return QTest::qWaitFor(
            [&] {
                return m_server.sentBytes(QStringLiteral("/files/")
                                          + QLatin1String(kLinks[link].name))
                    >= bytes;
            },
            kTimeout);
    }

private:
    LocalHttpServer &m_server;
    ProgramRun &m_run;
    QString m_main;
    QString m_window;
};

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
    {
        QByteArray bytes(20 << 20, Qt::Uninitialized);
        QRandomGenerator(12).fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
        QFile f(source);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
    const QByteArray sourceBytes = readFile(source);
    LocalHttpServer server;
    QByteArray page = "<html><head><title>Downloads test</title><style>body{margin:0}"
                      "a{display:block;font:28px sans-serif;height:"
        + QByteArray::number(100.0 / kBands) + "vh}</style></head><body>";
    for (const auto &link : kLinks) {
        const QString path = QStringLiteral("/files/") + QLatin1String(link.name);
        server.addDownload(path, source, link.pacing);
        page += "<a href='" + path.toLatin1() + "'>" + link.name + "</a>";
    }
    server.addPage(QStringLiteral("/index.html"), page + "</body></html>");

    ProgramRun run(QStringLiteral(SCOUTWELL_BIN_DIR), QStringLiteral(SCOUTWELL_SHOT_DIR));
    run.setSetting(QStringLiteral("ShowSplash"), QStringLiteral("0"));
    run.setSetting(QStringLiteral("Start Page"), server.url(QStringLiteral("/index.html")));
    Session s(server, run);
    QVERIFY2(s.start(), run.output().constData());
    const QString setup = QLatin1String(kLinks[Setup].name);
    const QRect mainWindow = ProgramRun::geometry(s.main());
    // The start of the browser window's status bar, left of where the Downloads window opens.
    const QRect statusBar(mainWindow.left() + 2, mainWindow.bottom() - 18, 300, 16);
    run.screenshot(QStringLiteral("downloads-page"));
    const int idleStatus = countPixels(QStringLiteral("downloads-page"), statusBar, dark);

    // A slow download: the window comes up without taking the keyboard from the page, and
    // both the window's bar and the status bar show it going.
    QVERIFY(s.download(Setup));
    QVERIFY(s.waitForBytesSent(Setup, 4 << 20));
    run.screenshot(QStringLiteral("downloads-progress-1"));
    QVERIFY(s.waitForBytesSent(Setup, 12 << 20));
    run.screenshot(QStringLiteral("downloads-progress-2"));
    const QRect bar(s.at(0, DownloadRow::kProgress) - QPoint(140, 6), QSize(280, 12));
    QVERIFY(countPixels(QStringLiteral("downloads-progress-2"), bar, highlight)
            > countPixels(QStringLiteral("downloads-progress-1"), bar, highlight) + 100);
    QVERIFY(countPixels(QStringLiteral("downloads-progress-2"), statusBar, dark)
            > 2 * idleStatus + 50);
    QProcess focus;
    focus.start(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus")});
    focus.waitForFinished();
    QVERIFY(QString::fromLatin1(focus.readAllStandardOutput()).trimmed() != s.window());

    QVERIFY(s.waitForState(setup, "finished"));
    QCOMPARE(readFile(s.downloadsFolder() + '/' + setup), sourceBytes);
    const QString sum = sha256sum(s.downloadsFolder() + '/' + setup);
    QTRY_COMPARE_WITH_TIMEOUT(s.kept(setup).value(QStringLiteral("sha256")).toString(), sum,
                              kTimeout);
    s.click(0, DownloadRow::kCopy);
    QTRY_COMPARE(QGuiApplication::clipboard()->text(), sum);

    // Cancelled half-way: nothing is left under the file's name.
    QVERIFY(s.download(CancelMe));
    QVERIFY(s.waitForBytesSent(CancelMe, 2 << 20));
    s.click(0, DownloadRow::kCancel);
    QVERIFY(s.waitForState(QStringLiteral("cancel-me.zip"), "cancelled"));
    QTest::qWait(500);
    QCOMPARE(QDir(s.downloadsFolder()).entryList({QStringLiteral("cancel-me*")}), QStringList());

    // The same file again lands beside the first under a numbered name.
    QVERIFY(s.download(Setup));
    QVERIFY(s.waitForState(QStringLiteral("freeware-setup (1).zip"), "finished"));
    QCOMPARE(readFile(s.downloadsFolder() + QStringLiteral("/freeware-setup (1).zip")),
             sourceBytes);

    // Paused, a dropped connection, and one still running, all in sight with a finished row
    // whose published sum matches.
    QVERIFY(s.download(PauseMe));
    QVERIFY(s.waitForBytesSent(PauseMe, 2 << 20));
    s.click(0, DownloadRow::kPause);
    QVERIFY(s.waitForState(QStringLiteral("pause-me.zip"), "paused"));
    QVERIFY(s.download(Broken));
    QVERIFY(s.waitForState(QStringLiteral("broken.zip"), "failed"));
    QVERIFY(
        !s.kept(QStringLiteral("broken.zip")).value(QStringLiteral("reason")).toString().isEmpty());
    QVERIFY(s.download(StillRunning));
    QVERIFY(s.waitForBytesSent(StillRunning, 1 << 20));
    // Rows: still-running, broken, pause-me, freeware-setup (1), cancel-me, freeware-setup.
    s.click(3, DownloadRow::kPublished);
    run.type(s.window(), sum.toUpper());
    QTest::qWait(1000);
    run.screenshot(QStringLiteral("downloads-four-states"));
    const QRect verdict(s.at(3, DownloadRow::kVerdict) - QPoint(130, 10), QSize(260, 20));
    QVERIFY(countPixels(QStringLiteral("downloads-four-states"), verdict,
                        [](QColor c) { return c.green() > c.red() + 60; })
            > 20);

    // Resumed, the paused file arrives whole.
    s.click(2, DownloadRow::kPause);
    QVERIFY(s.waitForState(QStringLiteral("pause-me.zip"), "finished"));
    QCOMPARE(readFile(s.downloadsFolder() + QStringLiteral("/pause-me.zip")), sourceBytes);

    // A server that ends the file early each time: the engine tries again into the same
    // file, without asking where to save it again, and at last gives up.
    QVERIFY(s.download(CutShort));
    QVERIFY(s.waitForState(QStringLiteral("cut-short.zip"), "failed"));
    QVERIFY(server.requests().count(QStringLiteral("/files/cut-short.zip")) > 1);
    QVERIFY(run.waitForWindow(kSaveDialog, 500).isEmpty());
    QVERIFY(s.kept(QStringLiteral("cut-short.zip"))
                .value(QStringLiteral("reason"))
                .toString()
                .startsWith(QStringLiteral("The server ended the file before its announced size")));

    // Exit asks while one still runs: No stays, Yes cancels it and ends the program.
    run.key(s.main(), QStringLiteral("ctrl+e"));
    QString box = run.waitForWindow(kBox);
    QVERIFY(!box.isEmpty());
    run.screenshot(QStringLiteral("downloads-exit-question"));
    run.key(box, QStringLiteral("alt+n"));
    QVERIFY(run.waitForNoWindow(kBox));
    QVERIFY(!run.waitForWindow(kMain, 2000).isEmpty());
    run.key(s.main(), QStringLiteral("ctrl+e"));
    box = run.waitForWindow(kBox);
    QVERIFY(!box.isEmpty());
    run.key(box, QStringLiteral("alt+y"));
    QVERIFY(run.waitForExit());
    QCOMPARE(s.state(QStringLiteral("still-running.zip")), QStringLiteral("cancelled"));
    const QJsonArray before = s.kept();
    QCOMPARE(before.size(), 7);

    // Started again, the earlier rows are there, and a new download joins them.
    QVERIFY(QFile::remove(s.downloadsFolder() + '/' + setup));
    QVERIFY(s.start());
    run.key(s.main(), QStringLiteral("ctrl+j"));
    QVERIFY(!run.waitForWindow(kDownloads).isEmpty());
    QTest::qWait(500);
    run.screenshot(QStringLiteral("downloads-after-restart"));
    QVERIFY(s.download(Setup));
    QVERIFY(s.waitForState(setup, "finished"));
    QCOMPARE(s.kept().size(), 8);
    QCOMPARE(s.kept().last(), before.last());
    run.key(s.main(), QStringLiteral("ctrl+e"));
    QVERIFY(run.waitForExit());

    // A damaged list: one message, set aside, and the next download is kept.
    QFile damaged(s.listFile());
    QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write("{\"downloads\": [") > 0);
    damaged.close();
    QVERIFY(s.start());
    QVERIFY(QFile::remove(s.downloadsFolder() + '/' + setup));
    QVERIFY(s.download(Setup));
    box = run.waitForWindow(kBox);
    QVERIFY(!box.isEmpty());
    run.screenshot(QStringLiteral("downloads-damaged-list"));
    run.key(box, QStringLiteral("Return"));
    QVERIFY(s.waitForState(setup, "finished"));
    QVERIFY(run.waitForWindow(kBox, 1000).isEmpty());
    QCOMPARE(s.kept().size(), 1);
    QCOMPARE(readFile(s.listFile() + QStringLiteral(".bad")), QByteArray("{\"downloads\": ["));
    run.key(s.main(), QStringLiteral("ctrl+e"));
    QVERIFY(run.waitForExit());
}

QTEST_MAIN(TestE2EDownloads)
#include "tst_e2e_downloads.moc"
