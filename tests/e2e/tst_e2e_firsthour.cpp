// A new user's first hour, under a real window manager (openbox, started here) with real
// keys and clicks: the main window's frame on the screen, the address keys on a fresh
// profile, the Find Freeware window brought back, a page printed to a PDF file with its
// text, a download opened on a desktop without xdg-open, a quiet standard error; and at
// twice the scale, the Downloads window and the organizer inside the screen.
#include "KeptList.h"
#include "LocalHttpServer.h"
#include "ProgramRun.h"
#include "compat/Twips.h"
#include "downloads/frmDownloads.h"

#include <QtTest>

using compat::Twips;
using namespace Qt::StringLiterals;

namespace {

QRegularExpression mainWindow(const QString &page)
{
    return exactly("Scoutwell v3.3 - [" + page + ']');
}

// The window on the screen, as the X server has it (xdotool adds the frame's offset once
// too often under a window manager).
QRect windowRect(const QString &id)
{
    const QString info = ProgramRun::capture("xwininfo", {"-id", id});
    const auto value = [&](const char *name) {
        const QRegularExpression line(QString::fromLatin1(name) + ":\\s+(-?\\d+)");
        return line.match(info).captured(1).toInt();
    };
    return QRect(value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"),
                 value("Height"));
}

// The window's frame as the window manager drew it around the window.
QRect frameOf(const QString &id)
{
    const QString extents
        = ProgramRun::capture("xprop", {"-id", id, "_NET_FRAME_EXTENTS"}).section('=', 1);
    const QStringList e = extents.split(',');
    if (e.size() != 4)
        return QRect();
    return windowRect(id).adjusted(-e[0].toInt(), -e[2].toInt(), e[1].toInt(), e[3].toInt());
}

QRect screenRect()
{
    const QStringList size
        = ProgramRun::capture("xdotool", {"getdisplaygeometry"}).simplified().split(' ');
    return QRect(0, 0, size.value(0).toInt(), size.value(1).toInt());
}

QString activeWindow()
{
    return ProgramRun::capture("xdotool", {"getactivewindow"}).trimmed();
}

// Window ids from the bottom of the stack to the top, as the window manager keeps them.
QStringList stacking()
{
    QStringList ids;
    const QString list = ProgramRun::capture("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"});
    for (const QString &hex : list.section('#', 1).split(',', Qt::SkipEmptyParts))
        ids << QString::number(hex.trimmed().toULongLong(nullptr, 16));
    return ids;
}

// The frame is inside the screen once the window manager has settled it (a maximized window
// is framed, then maximized).
#define VERIFY_FRAME_ON_SCREEN(id)                                                                 \
    do {                                                                                           \
        QRect frame;                                                                               \
        const bool inside = QTest::qWaitFor(                                                       \
            [&] { return screenRect().contains(frame = frameOf(id)) && !frame.isEmpty(); }, 5000); \
        QVERIFY2(inside,                                                                           \
                 qPrintable(u"frame %1,%2 %3x%4"_s.arg(frame.x())                                  \
                                .arg(frame.y())                                                    \
                                .arg(frame.width())                                                \
                                .arg(frame.height())));                                            \
    } while (false)

} // namespace

class TestE2EFirstHour : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        const QString ready = m_wmDir.filePath("ready");
        m_wm.start("openbox", {"--sm-disable", "--startup", "touch " + ready});
        QVERIFY2(QTest::qWaitFor([&] { return QFile::exists(ready); }, 15000),
                 "openbox did not start");
    }

    void cleanupTestCase()
    {
        m_wm.terminate();
        m_wm.waitForFinished(5000);
    }

    void firstHour();
    void scaledTwice();

private:
    QTemporaryDir m_wmDir;
    QProcess m_wm;
};

void TestE2EFirstHour::firstHour()
{
    QTemporaryDir served;
    const QString source = served.filePath("tool.zip");
    QVERIFY(putFile(source, QByteArray(64 << 10, 'z')));
    LocalHttpServer server;
    // The start page talks on its console before it names itself.
    server.addPage("/start.html",
                   "<body><p style='font:40px sans-serif'>Freeware start</p>"
                   "<script>console.log('page log line');"
                   "console.error('page error line');"
                   "document.title='Start page'</script></body>");
    for (const char *page : {"ctrl-l", "alt-d", "f6"})
        server.addPage(u"/%1.html"_s.arg(page), "<title>Page " + QByteArray(page) + "</title>");
    server.addPage("/tool.html",
                   "<title>Tool page</title><body style='margin:0'>"
                   "<a href='/files/tool.zip' style='display:block;height:100vh;"
                   "font:40px sans-serif'>Freeware tool download</a></body>");
    server.addDownload("/files/tool.zip", source, {});

    ProgramRun run(QStringLiteral(SCOUTWELL_BIN_DIR), QStringLiteral(SCOUTWELL_SHOT_DIR));
    // A fresh profile but for the start page; a desktop without xdg-utils.
    run.setSettings({"Start Page", server.url("/start.html")});
    run.setEnvironment("PATH", served.path());
    run.setEnvironment("BROWSER", QString());
    VERIFY_WINDOW(main, run, startUntil(mainWindow("Start page")));

    // Standard error after a start and a page that logs: only what the program itself says.
    for (const QByteArray &line : run.output().split('\n'))
        QVERIFY2(line.isEmpty() || line.startsWith("scoutwell: running as root"),
                 run.output().constData());

    VERIFY_FRAME_ON_SCREEN(main);
    // No empty band below it.
    QVERIFY(frameOf(main).bottom() >= screenRect().bottom() - 40);
    run.screenshot("first-start");

    // Ctrl+L shows the hidden toolbar and puts the keyboard in the address box; so do Alt+D
    // and F6, over the address shown.
    // clang-format off
    const struct { const char *key, *page; } keys[] = {
        {"ctrl+l", "ctrl-l"},
        {"alt+d",  "alt-d"},
        {"F6",     "f6"},
    };
    // clang-format on
    for (const auto &k : keys) {
        run.key(main, k.key);
        run.type(main, server.url(u"/%1.html"_s.arg(k.page)));
        if (qstrcmp(k.page, "ctrl-l") == 0)
            run.screenshot("ctrl-l-fresh-profile");
        run.key(main, "Return");
        QVERIFY2(run.waitForWindow(mainWindow(u"Page "_s + k.page), 15000) == main, k.key);
    }
    QCOMPARE(QSettings(run.settingsFile(), QSettings::IniFormat).value("Settings/TB").toString(),
             u"1"_s);

    // F2 after a search brings the minimized Find Freeware window back, with the keyboard.
    run.key(main, "F2");
    VERIFY_WINDOW(find, run, waitForWindow(exactly("Scoutwell Search Engine")));
    run.click(find, QPoint(Twips(1260 + 3540) - 8, Twips(210 + 172)));
    VERIFY_WINDOW(list, run, waitForWindow(exactly("ScoutwellV3")));
    const QRect rows = ProgramRun::geometry(list).adjusted(1, 1, -1, -1);
    run.click(list, QPoint(rows.width() / 2, 1 + rows.height() * 15 / 18)); // Tucows, 8th of 9
    run.click(find, QPoint(Twips(1260 + 3540 / 2), Twips(675 + 345 / 2)));
    run.type(find, "zip");
    run.click(find, QPoint(Twips(3600 + 1200 / 2), Twips(1200 + 375 / 2)));
    QVERIFY(run.waitForNoWindow(exactly("Scoutwell Search Engine")));
    run.key(main, "F2");
    QCOMPARE(run.waitForWindow(exactly("Scoutwell Search Engine")), find);
    QTRY_COMPARE_WITH_TIMEOUT(activeWindow(), find, 5000);
    run.screenshot("find-freeware-back");
    // A click on the page gives the main window the keyboard, and the tool window stays above.
    run.click(main, QPoint(200, 400));
    QTRY_COMPARE_WITH_TIMEOUT(activeWindow(), main, 5000);
    QVERIFY2(stacking().indexOf(find) > stacking().indexOf(main), qPrintable(stacking().join(' ')));
    run.key(find, "alt+F4");
    QVERIFY(run.waitForNoWindow(exactly("Scoutwell Search Engine")));

    // Printed to a file from the print dialog, the page is a PDF with its text.
    run.key(main, "alt+d");
    run.type(main, server.url("/tool.html"));
    run.key(main, "Return");
    QCOMPARE(run.waitForWindow(mainWindow("Tool page")), main);
    run.key(main, "ctrl+p");
    VERIFY_WINDOW(print, run, waitForWindow(exactly("Print")));
    run.screenshot("print-dialog");
    run.key(print, "Return");
    const QString pdf = run.path() + "/print.pdf";
    QVERIFY(QTest::qWaitFor([&] { return readFile(pdf).trimmed().endsWith("%%EOF"); }, 20000));
    QVERIFY2(ProgramRun::capture("pdftotext", {pdf, "-"}).contains("Freeware tool download"),
             qPrintable(pdf));

    // A finished download's Open, with no xdg-open to hand it to, says so.
    run.click(main, QPoint(300, 300));
    VERIFY_WINDOW(save, run, waitForWindow(exactly("Save File")));
    run.key(save, "Return");
    VERIFY_WINDOW(downloads, run, waitForWindow(exactly("Downloads")));
    const QString list2 = run.path() + "/data/ScoutwellV3/downloads.json";
    QVERIFY(QTest::qWaitFor(
        [&] { return keptRow(list2, "tool.zip").value("state").toString() == "finished"_L1; },
        30000));
    run.click(downloads, DownloadRow::place("cmdOpen").center());
    VERIFY_WINDOW(box, run, waitForWindow(exactly("Scoutwell")));
    run.screenshot("open-without-xdg-open");
    run.key(box, "Return");
    QVERIFY(run.waitForNoWindow(exactly("Scoutwell")));

    run.click(main, QPoint(10, 10), 0);
    QVERIFY(run.exit(main));
}

void TestE2EFirstHour::scaledTwice()
{
    LocalHttpServer server;
    server.addPage("/a.html", "<title>Page A</title>A");
    ProgramRun run(QStringLiteral(SCOUTWELL_BIN_DIR), QStringLiteral(SCOUTWELL_SHOT_DIR));
    run.setSettings({"ShowSplash", "0", "TB", "1", "Start Page", server.url("/a.html")});
    run.setEnvironment("QT_SCALE_FACTOR", "2");
    VERIFY_WINDOW(main, run, startUntil(mainWindow("Page A")));
    VERIFY_FRAME_ON_SCREEN(main);

    run.key(main, "ctrl+j");
    VERIFY_WINDOW(downloads, run, waitForWindow(exactly("Downloads")));
    VERIFY_FRAME_ON_SCREEN(downloads);
    run.screenshot("downloads-scale-2");
    run.key(downloads, "alt+F4");
    QVERIFY(run.waitForNoWindow(exactly("Downloads")));

    // Favourites > Organize Favourites, from the menu bar.
    run.click(main, QPoint(2 * 135, 2 * 8));
    run.key(QString(), "Down Down Down Return");
    VERIFY_WINDOW(organize, run, waitForWindow(exactly("Organize favourites")));
    VERIFY_FRAME_ON_SCREEN(organize);
    run.screenshot("organize-scale-2");
    run.key(organize, "alt+F4");
    QVERIFY(run.waitForNoWindow(exactly("Organize favourites")));
    QVERIFY(run.exit(main));
}

QTEST_MAIN(TestE2EFirstHour)
#include "tst_e2e_firsthour.moc"
