// Safe downloads in the real program under X, as a person meets them: a real ClamAV daemon
// of the test's own (its configuration and a signature database for the EICAR test file in
// a temporary folder), pages of the test's server that print or link the files' sums, and
// a server that suggests a name outside the download folder. Links are clicked, the save
// dialog answered with Enter; what the program decided is read from its kept list.
#include "CacheFiles.h"
#include "KeptList.h"
#include "LocalHttpServer.h"
#include "ProgramRun.h"
#include "downloads/frmDownloads.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QtTest>

namespace {

const QRegularExpression kSaveDialog(QStringLiteral("^Save File$"));
const QRegularExpression kDownloads(QStringLiteral("^Downloads$"));
const QRegularExpression kBox(QStringLiteral("^Scoutwell$"));
constexpr int kTimeout = 60000;
// The standard antivirus test file: harmless, and every scanner reports it.
const QByteArray kEicar
    = QByteArrayLiteral("X5O!P%@AP[4\\PZX54(P^)7CC)7}$EICAR-STANDARD-ANTIVIRUS-TEST-FILE!$H+H*");

QByteArray sha256(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

// A page with the download's link as a band in its upper half and the next page's link in
// its lower half; `extra` goes between them in small print.
QByteArray page(const char *title, const QByteArray &link, const QByteArray &extra,
                const char *next)
{
    return QByteArray("<title>") + title
        + "</title><style>body{margin:0}a.band{display:block;height:45vh;font:28px "
          "sans-serif}div{height:10vh;font:10px monospace}</style><a class=band href='"
        + link + "'>" + link + "</a><div>" + extra + "</div><a class=band href='" + next
        + "'>next</a>";
}

} // namespace

class TestE2ESafeDownloads : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void scannedCheckedAndNamedSafely();
};

void TestE2ESafeDownloads::scannedCheckedAndNamedSafely()
{
    // The daemon, on a socket in the test's folder, knowing only the test's signature.
    QTemporaryDir scanner;
    const QString clamd = QStringLiteral("/usr/sbin/clamd");
    QVERIFY2(QFile::exists(clamd), "clamd is missing: scripts/setup.sh installs clamav-daemon");
    const QString socket = scanner.filePath(QStringLiteral("clamd.sock"));
    QVERIFY(QDir().mkdir(scanner.filePath(QStringLiteral("db"))));
    QVERIFY(cachefiles::writeFile(scanner.filePath(QStringLiteral("db/test.hdb")),
                                  sha256(kEicar) + ":68:Eicar-Test-Signature\n"));
    QVERIFY(cachefiles::writeFile(
        scanner.filePath(QStringLiteral("clamd.conf")),
        QStringLiteral("LocalSocket %1\nDatabaseDirectory %2/db\nForeground yes\nLogFile "
                       "%2/clamd.log\nTemporaryDirectory %2\n")
            .arg(socket, scanner.path())
            .toUtf8()));
    QProcess daemon;
    daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    daemon.start(clamd, {QStringLiteral("-c"), scanner.filePath(QStringLiteral("clamd.conf"))});
    QVERIFY(QTest::qWaitFor([&] { return QFileInfo(socket).exists(); }, kTimeout));
    qputenv("SCOUTWELL_CLAMD_SOCKET", QFile::encodeName(socket));

    // The files and the pages that show them.
    QTemporaryDir served;
    QByteArray clean(3 << 20, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(clean.data()), clean.size() / 4);
    const QByteArray other = clean.left(1 << 20);
    LocalHttpServer server;
    const auto serve = [&](const char *name, const QByteArray &bytes) {
        const QString file = served.filePath(QLatin1String(name));
        QVERIFY(cachefiles::writeFile(file, bytes));
        server.addDownload(QStringLiteral("/files/") + QLatin1String(name), file, {});
    };
    serve("eicar.com", kEicar);
    serve("clean.zip", clean);
    serve("listed.zip", other);
    serve("wrong.zip", other);
    serve("evil", other);
    serve("plain.zip", other);
    server.addHeader(QStringLiteral("/files/evil"),
                     "Content-Disposition: attachment; "
                     "filename=\"../../.config/autostart/evil.desktop\"");
    server.addPage(QStringLiteral("/files/SHA256SUMS"),
                   sha256(clean) + "  clean-old.zip\n" + sha256(other) + "  listed.zip\n");
    server.addPage("/eicar.html", page("Eicar", "/files/eicar.com", "", "/clean.html"));
    server.addPage(
        "/clean.html",
        page("Clean", "/files/clean.zip", "clean.zip SHA-256: " + sha256(clean), "/listed.html"));
    server.addPage("/listed.html",
                   page("Listed", "/files/listed.zip", "<a href='/files/SHA256SUMS'>SHA256SUMS</a>",
                        "/wrong.html"));
    QByteArray wrong = sha256(other);
    wrong[0] = wrong[0] == '0' ? '1' : '0';
    server.addPage("/wrong.html",
                   page("Wrong", "/files/wrong.zip", "wrong.zip " + wrong, "/evil.html"));
    server.addPage("/evil.html", page("Evil", "/files/evil", "", "/plain.html"));
    server.addPage("/plain.html", page("Plain", "/files/plain.zip", "", "/eicar.html"));

    ProgramRun run(QStringLiteral(SCOUTWELL_BIN_DIR), QStringLiteral(SCOUTWELL_SHOT_DIR));
    run.setSettings({"ShowSplash", "0", "Start Page", server.url("/eicar.html")});
    const QString folder = run.path() + QStringLiteral("/Downloads/");
    const QString list = run.path() + QStringLiteral("/data/ScoutwellV3/downloads.json");
    const auto kept = [&](const char *name, const char *field) {
        return keptRow(list, QLatin1String(name)).value(QLatin1String(field)).toString();
    };
    const auto keeps = [&](const char *name, const char *field, const QString &value) {
        const bool ok = QTest::qWaitFor([&] { return kept(name, field) == value; }, kTimeout);
        if (!ok)
            qWarning() << name << field << kept(name, field) << "not" << value;
        return ok;
    };
    const QString main = run.startUntil(QRegularExpression(QStringLiteral("Eicar\\]$")));
    QVERIFY2(!main.isEmpty(), run.output().constData());
    QString window;
    const auto band = [&](double share) {
        const QRect m = ProgramRun::geometry(main);
        return m.topLeft() + QPoint(200, int(m.height() * share));
    };
    // Clicks the page's download band and presses Enter in the save dialog.
    const auto download = [&] {
        ProgramRun::click({}, band(0.3));
        const QString dialog = run.waitForWindow(kSaveDialog);
        run.key(dialog, QStringLiteral("Return"));
        window = run.waitForWindow(kDownloads);
        return !dialog.isEmpty() && run.waitForNoWindow(kSaveDialog) && !window.isEmpty();
    };
    const auto next = [&](const char *title) {
        ProgramRun::click({}, band(0.85));
        return !run.waitForWindow(QRegularExpression(QLatin1String(title) + "\\]$")).isEmpty();
    };
    const auto at = [&](int row, const char *control) {
        return ProgramRun::geometry(window).topLeft() + DownloadRow::place(control).center()
            + QPoint(0, row * DownloadRow::standardSize().height());
    };
    const auto redIn = [&](const QString &shot, int row, const char *control) {
        const QRect place = DownloadRow::place(control);
        return ProgramRun::countPixels(
            run.screenshot(shot),
            QRect(at(row, control) - place.center() + place.topLeft(), place.size()),
            [](QColor c) { return c.red() > 150 && c.green() < 80 && c.blue() < 80; });
    };

    // The test file is reported, renamed, made not executable, and asked about before it
    // would open.
    QVERIFY(download());
    QVERIFY(keeps("eicar.com.infected", "scan", "infected: Eicar-Test-Signature.UNOFFICIAL"));
    QVERIFY(!QFile::exists(folder + "eicar.com"));
    QCOMPARE(QFileInfo(folder + "eicar.com.infected").permissions()
                 & (QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther),
             QFileDevice::Permissions());
    QTRY_VERIFY_WITH_TIMEOUT(redIn("safedownloads-malware", 0, "lblScan") > 20, 5000);
    ProgramRun::click({}, at(0, "cmdOpen"));
    VERIFY_WINDOW(box, run, waitForWindow(kBox));
    run.key(box, QStringLiteral("alt+n"));
    QVERIFY(run.waitForNoWindow(kBox));

    // A page printing the sum beside the name; one linking SHA256SUMS; one with a wrong sum.
    QVERIFY(next("Clean") && download());
    QVERIFY(keeps("clean.zip", "verdict", "matches"));
    QCOMPARE(kept("clean.zip", "published_from"), server.url("/clean.html"));
    QVERIFY(keeps("clean.zip", "scan", "clean"));
    run.settledScreenshot("safedownloads-clean-matches");
    QVERIFY(next("Listed") && download());
    QVERIFY(keeps("listed.zip", "verdict", "matches"));
    QCOMPARE(kept("listed.zip", "published_from"), server.url("/files/SHA256SUMS"));
    QVERIFY(next("Wrong") && download());
    QVERIFY(keeps("wrong.zip", "verdict", "mismatch"));
    QTRY_VERIFY_WITH_TIMEOUT(redIn("safedownloads-mismatch", 0, "lblVerdict") > 20, 5000);

    // Changed after the download: the next look at the window reads the file again.
    QFile changed(folder + "clean.zip");
    QVERIFY(changed.open(QIODevice::Append) && changed.write("tampered") == 8);
    changed.close();
    ProgramRun::click({}, ProgramRun::geometry(window).bottomLeft() + QPoint(400, -10));
    QVERIFY(keeps("clean.zip", "verdict", "mismatch"));
    run.settledScreenshot("safedownloads-changed");

    // A name that climbs out of the folder lands in it, visible.
    QVERIFY(next("Evil") && download());
    QVERIFY(keeps("evil.desktop", "state", "finished"));
    QCOMPARE(kept("evil.desktop", "path"), folder + "evil.desktop");
    QVERIFY(!QFileInfo::exists(run.path() + "/.config/autostart")
            && !QFileInfo::exists(run.path() + "/config/autostart"));

    // No daemon: the row says so.
    daemon.kill();
    daemon.waitForFinished();
    QVERIFY(next("Plain") && download());
    QVERIFY(QTest::qWaitFor([&] { return kept("plain.zip", "scan").startsWith("not scanned: "); },
                            kTimeout));
    run.settledScreenshot("safedownloads-not-scanned");
    QVERIFY(run.exit(main));
}

QTEST_MAIN(TestE2ESafeDownloads)
#include "tst_e2e_safedownloads.moc"
