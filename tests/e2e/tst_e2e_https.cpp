// Secure connections in the real program under X, as a person meets them: plain addresses
// typed into the address box and answered over HTTPS where the host has it, a host without
// HTTPS falling back, a site with a certificate for another name, and a page whose renderer
// is killed. The servers are real: openssl's own TLS server with certificates made here,
// and a plain HTTP server, on the standard ports of three loopback addresses (so the test
// needs root; host names reach them through the engine's resolver rules).
#include "ProgramRun.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

QString mainTitle(const QString &page)
{
    return "Scoutwell v3.3 - [" + page + ']';
}

const QPoint kAddressBox(560, 45), kBlankPage(900, 450), kLink(100, 200);

bool isRed(QColor c)
{
    return c.red() > 150 && c.green() < 80 && c.blue() < 80;
}

// A self-signed certificate and key for `name` in dir; returns the base64 SHA-256 of its
// public key, as the engine's trust flag takes it.
QString makeCertificate(const QString &dir, const QString &name)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(u"openssl"_s,
            {u"req"_s, u"-x509"_s, u"-newkey"_s, u"rsa:2048"_s, u"-nodes"_s, u"-keyout"_s,
             name + u".key"_s, u"-out"_s, name + u".pem"_s, u"-days"_s, u"2"_s, u"-subj"_s,
             u"/CN="_s + name + u"/O=Test Issuer"_s, u"-addext"_s,
             u"subjectAltName=DNS:"_s + name});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    p.start(u"sh"_s,
            {u"-c"_s,
             u"openssl x509 -in "_s + name
                 + u".pem -pubkey -noout | openssl pkey -pubin -outform der"
                   " | openssl dgst -sha256 -binary | base64"_s});
    p.waitForFinished(30000);
    return QString::fromLatin1(p.readAllStandardOutput()).trimmed();
}

} // namespace

class TestE2EHttps : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void secureConnections();
};

void TestE2EHttps::secureConnections()
{
    if (::geteuid() != 0)
        QSKIP("the servers listen on ports 80 and 443, which only root may bind");
    QTemporaryDir dir;
    const QString secureSpki = makeCertificate(dir.path(), u"secure.test"_s);
    QVERIFY(!secureSpki.isEmpty());
    QVERIFY(!makeCertificate(dir.path(), u"other.test"_s).isEmpty());
    const auto page = [&](const QString &file, const QString &title, const QByteArray &body) {
        QFile f(dir.filePath(file));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<!doctype html><title>" + title.toUtf8() + "</title><h1>" + title.toUtf8()
                + "</h1>" + body);
    };
    page(u"secure.html"_s, u"Secure page"_s, {});
    // The plain page's link is a plain address too; its host has HTTPS only.
    page(u"plain.html"_s, u"Plain page"_s,
         "<a href='http://secure.test/secure.html' style='position:fixed;left:0;top:0;"
         "width:200px;height:200px;background:#cde'>to the secure page</a>");
    page(u"wrong.html"_s, u"Wrong page"_s, {});

    // secure.test: HTTPS only, trusted for the run; plain.test: HTTP only; wrong.test: HTTPS
    // with a certificate for other.test that nothing trusts.
    const auto tlsServer = [&](QProcess &p, const QString &address, const QString &name) {
        p.setWorkingDirectory(dir.path());
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(u"openssl"_s,
                {u"s_server"_s, u"-accept"_s, address + u":443"_s, u"-cert"_s, name + u".pem"_s,
                 u"-key"_s, name + u".key"_s, u"-WWW"_s});
        return p.waitForStarted();
    };
    QProcess secureServer, wrongServer, plainServer;
    QVERIFY(tlsServer(secureServer, u"127.0.0.1"_s, u"secure.test"_s));
    QVERIFY(tlsServer(wrongServer, u"127.0.0.3"_s, u"other.test"_s));
    plainServer.setProcessChannelMode(QProcess::MergedChannels);
    plainServer.start(u"python3"_s,
                      {u"-u"_s, u"-m"_s, u"http.server"_s, u"80"_s, u"--bind"_s, u"127.0.0.2"_s,
                       u"--directory"_s, dir.path()});
    QVERIFY(plainServer.waitForStarted());
    QByteArray plainLog;
    connect(&plainServer, &QProcess::readyRead, this, [&] { plainLog += plainServer.readAll(); });
    QVERIFY(QTest::qWaitFor([&] { return plainLog.contains("Serving HTTP"); }, 10000));

    qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
            "--host-resolver-rules=\"MAP secure.test 127.0.0.1, MAP plain.test 127.0.0.2, "
            "MAP wrong.test 127.0.0.3\" --ignore-certificate-errors-spki-list="
                + secureSpki.toLatin1());
    ProgramRun run(QStringLiteral(SCOUTWELL_BIN_DIR), QStringLiteral(SCOUTWELL_SHOT_DIR));
    run.setSettings({"ShowSplash", "0", "TB", "1", "Start Page", "about:blank"});
    VERIFY_WINDOW(main, run,
                  startUntil(QRegularExpression(u"^Scoutwell v3\\.3 - \\[about:blank\\]$"_s)));
    const auto titleIs = [&](const QString &page, int timeout = 20000) {
        return QTest::qWaitFor([&] { return ProgramRun::windowTitle(main) == mainTitle(page); },
                               timeout);
    };
    const auto open = [&](const QString &address) {
        run.click(main, kAddressBox);
        run.key(main, u"End shift+Home"_s);
        run.type(main, address);
        run.key(main, u"Return"_s);
    };
    const QRect geometry = ProgramRun::geometry(main);
    const QRect statusBar(geometry.width() / 2, geometry.height() - 40, geometry.width() / 2, 40);
    // The connection panel follows the title as the engine reports the load's end.
    const auto redInStatusBar = [&](const QString &shot, bool red = true) {
        return QTest::qWaitFor(
            [&] {
                return (ProgramRun::countPixels(run.screenshot(shot), statusBar, isRed) > 20)
                    == red;
            },
            5000);
    };
    // A button of the program's own page, as a person reaches it without the mouse: the page
    // takes the keyboard, then Tab goes from button to button.
    const auto press = [&](int tabs) {
        run.click(main, kBlankPage);
        QString keys;
        for (int i = 0; i < tabs; ++i)
            keys += u"Tab "_s;
        run.key(main, keys + u"Return"_s);
    };

    // A plain address whose host serves HTTPS opens the secure page: only the TLS server
    // has it, and the plain server is never asked.
    open(u"http://secure.test/secure.html"_s);
    QVERIFY2(titleIs(u"Secure page"_s), qPrintable(ProgramRun::windowTitle(main)));
    QVERIFY(redInStatusBar(u"https-secure"_s, false));
    QVERIFY(!plainLog.contains("secure.html"));

    // A host without HTTPS falls back to plain HTTP within five seconds, marked in red.
    open(u"http://plain.test/plain.html"_s);
    QVERIFY2(titleIs(u"Plain page"_s, 5000), qPrintable(ProgramRun::windowTitle(main)));
    QVERIFY(plainLog.contains("GET /plain.html"));
    QVERIFY(redInStatusBar(u"https-fallback"_s));

    // Back (Alt+Left, as in other browsers) steps over the failed secure try to the page
    // before, and Forward (the Navigation menu's Ctrl+F) over it again.
    run.click(main, kBlankPage);
    run.key(main, u"alt+Left"_s);
    QVERIFY2(titleIs(u"Secure page"_s), qPrintable(ProgramRun::windowTitle(main)));
    run.key(main, u"ctrl+f"_s);
    QVERIFY2(titleIs(u"Plain page"_s), qPrintable(ProgramRun::windowTitle(main)));

    // The renderer killed: the program's page says so, and Reload brings the page back.
    const qint64 asked = plainLog.count("GET /plain.html");
    // The program's renderers are the processes of the engine's renderer type below it.
    QProcess::execute(u"sh"_s,
                      {u"-c"_s,
                       u"for p in $(pgrep -f -- --type=renderer); do q=$p; "
                       "while [ \"$q\" -gt 1 ]; do "
                       "if [ $q = "_s
                           + QString::number(run.processId())
                           + u" ]; then kill -9 $p; break; fi; "
                             "q=$(awk '{print $4}' /proc/$q/stat); done; done"_s});
    QVERIFY2(titleIs(u"Page was killed"_s), qPrintable(ProgramRun::windowTitle(main)));
    run.screenshot(u"https-killed"_s);
    press(1);
    QVERIFY2(titleIs(u"Plain page"_s), qPrintable(ProgramRun::windowTitle(main)));
    QVERIFY(plainLog.count("GET /plain.html") > asked);

    // A link to a plain address is followed to its secure form: plain HTTP to secure.test
    // would find no server at all.
    run.click(main, kLink);
    QVERIFY2(titleIs(u"Secure page"_s), qPrintable(ProgramRun::windowTitle(main)));

    // A certificate for another name: the warning, whose default goes back.
    open(u"https://wrong.test/wrong.html"_s);
    const QString warning = u"Warning: certificate error for wrong.test"_s;
    QVERIFY2(titleIs(warning), qPrintable(ProgramRun::windowTitle(main)));
    run.screenshot(u"https-certificate-warning"_s);
    press(1);
    QVERIFY2(titleIs(u"Secure page"_s), qPrintable(ProgramRun::windowTitle(main)));
    // And its second button goes on, marked in red.
    open(u"https://wrong.test/wrong.html"_s);
    QVERIFY2(titleIs(warning), qPrintable(ProgramRun::windowTitle(main)));
    press(2);
    QVERIFY2(titleIs(u"Wrong page"_s), qPrintable(ProgramRun::windowTitle(main)));
    QVERIFY(redInStatusBar(u"https-certificate-passed"_s));

    run.kill();
    for (QProcess *p : {&secureServer, &wrongServer, &plainServer}) {
        p->kill();
        p->waitForFinished(5000);
    }
}

QTEST_MAIN(TestE2EHttps)
#include "tst_e2e_https.moc"
