// The Guard in the real program under X, as a person meets it: a download portal whose
// advertising never reaches the network and whose fake download button never shows, and a
// site of Debian's badware list that is not even asked for until the person clicks
// "Continue to the site once" on the warning page. Many host names reach the test's one
// server through the engine's host resolver rules; the server's log shows what arrived.
#include "LocalHttpServer.h"
#include "ProgramRun.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

QRegularExpression mainTitle(const QString &page)
{
    return QRegularExpression(u"^Scoutwell v3\\.3 - \\["_s + QRegularExpression::escape(page)
                              + u"\\]$"_s);
}

// The user's own list: what the portal page below asks for is blocked, allowed or hidden.
const char kUserList[] = "! Title: Test list\n"
                         "||ads.test^\n"
                         "||tracker.test^$image,third-party\n"
                         "||cdn.test^*/ads/\n"
                         "@@||cdn.test^*/ads/allowed.png\n"
                         "freeware.test##.fake-download\n"
                         "##.sponsored-download\n";

// A host of Debian's badware list ("||audacity.de^$doc"), a portal wrapping a free program.
const QString kBadwareHost = u"audacity.de"_s;

// The warning page's "Continue to the site once": its place on the page, below the page's
// top in the main window with the toolbar shown.
const QPoint kContinue(380, 75 + 362), kGoBack(124, 75 + 362);
// The Guard window's whole-program switch, its first line.
const QPoint kGuardSwitch(18, 20);

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestE2EGuard : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void portalAndBadwareSite();
};

void TestE2EGuard::portalAndBadwareSite()
{
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--host-resolver-rules=\"MAP * 127.0.0.1\"");
    LocalHttpServer server;
    const QString port = QString::number(server.port());
    const auto at = [&](const char *host, const char *path) {
        return u"http://%1:%2%3"_s.arg(QLatin1String(host), port, QLatin1String(path));
    };
    server.addPage(
        u"/portal.html"_s,
        ("<title>Freeware portal</title><style>body{margin:0;font:20px sans-serif}"
         "a{display:block;padding:10px}</style>"
         "<script src='"
         + at("ads.test", "/ad.js") + "'></script><img src='" + at("tracker.test", "/pixel.gif")
         + "'><img src='" + at("cdn.test", "/ads/banner.png") + "'><img src='"
         + at("cdn.test", "/ads/allowed.png")
         + "'><a class='fake-download' id='fake' href='#'>Download now (advert)</a>"
           "<a class='real-download' id='real' href='#'>Download</a>"
           "<iframe src='"
         + at("frame.test", "/frame.html")
         + "'></iframe><script>window.onload=function(){"
           "var d=function(id){return getComputedStyle(document.getElementById(id)).display};"
           "new Image().src='/report?fake='+d('fake')+'&real='+d('real')};</script>")
            .toUtf8());
    server.addPage(u"/frame.html"_s,
                   "<a class='sponsored-download' id='s'>Sponsored</a><script>onload=function(){"
                   "new Image().src='/frame-report?sponsored='"
                   "+getComputedStyle(document.getElementById('s')).display};</script>");
    server.addPage(u"/setup.html"_s, "<title>Audacity download</title><h1>Setup</h1>");

    ProgramRun run(QStringLiteral(SCOUTWELL_BIN_DIR), QStringLiteral(SCOUTWELL_SHOT_DIR));
    run.setSettings({"ShowSplash", "0", "TB", "1"});
    // Only the badware list of Debian's four, beside the user's own: the others would cost
    // this small machine a long first index and change nothing here.
    QDir().mkpath(run.path() + u"/data/ScoutwellV3/lists"_s);
    QFile list(run.path() + u"/data/ScoutwellV3/lists/test-list.txt"_s);
    QVERIFY(list.open(QIODevice::WriteOnly) && list.write(kUserList) > 0);
    list.close();
    QFile ini(run.path() + u"/data/ScoutwellV3/guard.ini"_s);
    QVERIFY(ini.open(QIODevice::WriteOnly)
            && ini.write("[Guard]\nEnabled=1\nListsOff=easylist easyprivacy malware\n") > 0);
    ini.close();

    VERIFY_WINDOW(main, run, startUntil(mainTitle(u"about:blank"_s)));
    // The first page never waits for the index; the test does, then opens the portal.
    const QString index = run.path() + u"/cache/ScoutwellV3/lists/index.bin"_s;
    QVERIFY(QTest::qWaitFor([&] { return QFileInfo::exists(index); }, 60000));
    const auto open = [&](const QString &address) {
        ProgramRun::click(main, QPoint(560, 45));
        run.key(main, u"End shift+Home"_s);
        run.type(main, address);
        run.key(main, u"Return"_s);
    };
    const auto arrived
        = [&](const QString &hostPath) { return server.hostRequests().contains(hostPath); };

    // The portal: its own report proves the page has loaded, with the fake button hidden and
    // the real one shown, in the page and in its frame alike.
    open(at("freeware.test", "/portal.html"));
    QVERIFY2(QTest::qWaitFor(
                 [&] { return arrived(u"freeware.test/report?fake=none&real=block"_s); }, 30000),
             qPrintable(server.hostRequests().join(' ')));
    QVERIFY2(QTest::qWaitFor([&] { return arrived(u"frame.test/frame-report?sponsored=none"_s); },
                             30000),
             qPrintable(server.hostRequests().join(' ')));
    QVERIFY(!run.waitForWindow(mainTitle(u"Freeware portal"_s)).isEmpty());
    const QStringList log = server.hostRequests();
    QVERIFY2(log.contains(u"cdn.test/ads/allowed.png"_s), qPrintable(log.join(' ')));
    for (const QString &never :
         {u"ads.test/ad.js"_s, u"tracker.test/pixel.gif"_s, u"cdn.test/ads/banner.png"_s})
        QVERIFY2(!log.contains(never), qPrintable(never + u" arrived: "_s + log.join(' ')));
    run.screenshot(u"guard-portal"_s);

    // A badware site left with "Go back": the portal again, and the site never asked.
    open(at("vlc.de", "/setup.html"));
    QVERIFY(!run.waitForWindow(mainTitle(u"Warning: vlc.de"_s)).isEmpty());
    ProgramRun::click(main, kGoBack);
    QVERIFY2(!run.waitForWindow(mainTitle(u"Freeware portal"_s)).isEmpty(),
             qPrintable(ProgramRun::windowTitle(main)));

    // The badware site: a warning instead, and not one request reaches the site.
    open(at("audacity.de", "/setup.html"));
    const QString warning = run.waitForWindow(mainTitle(u"Warning: "_s + kBadwareHost));
    QVERIFY2(!warning.isEmpty(), qPrintable(ProgramRun::windowTitle(main)));
    run.settledScreenshot(u"guard-warning"_s);
    for (const QString &r : server.hostRequests())
        QVERIFY2(!r.startsWith(kBadwareHost) && !r.startsWith(u"vlc.de"_s), qPrintable(r));
    ProgramRun::click(main, kContinue);
    QVERIFY2(!run.waitForWindow(mainTitle(u"Audacity download"_s)).isEmpty(),
             qPrintable(ProgramRun::windowTitle(main)));
    QVERIFY(arrived(kBadwareHost + u"/setup.html"_s));

    // The Guard window, from its key.
    run.key(main, u"ctrl+g"_s);
    VERIFY_WINDOW(guard, run, waitForWindow(QRegularExpression(u"^Guard$"_s)));
    run.settledScreenshot(u"guard-window"_s);

    // Switched off in the Guard window, the portal is as it would be without the Guard.
    ProgramRun::click(guard, kGuardSwitch);
    QTRY_VERIFY(readAll(run.path() + u"/data/ScoutwellV3/guard.ini"_s).contains("Enabled=0"));
    open(at("freeware.test", "/portal.html"));
    QVERIFY2(QTest::qWaitFor(
                 [&] { return arrived(u"freeware.test/report?fake=block&real=block"_s); }, 30000),
             qPrintable(server.hostRequests().join(' ')));
    for (const QString &now :
         {u"ads.test/ad.js"_s, u"tracker.test/pixel.gif"_s, u"cdn.test/ads/banner.png"_s,
          u"frame.test/frame-report?sponsored=inline"_s})
        QVERIFY2(arrived(now), qPrintable(now));
    // Ended from the page, where Ctrl+E is the program's, not the address box's.
    ProgramRun::click(main, QPoint(150, 500));
    const bool ended = run.exit(main);
    if (!ended)
        run.screenshot(u"guard-not-ended"_s);
    QVERIFY2(ended, run.output().right(3000).constData());
}

QTEST_MAIN(TestE2EGuard)
#include "tst_e2e_guard.moc"
