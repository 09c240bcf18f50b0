// Downloads, side by side with their floor in one run:
// (a) a 1 GB file from a server on this machine, through the program (link followed, save
//     dialog answered with Enter, finished when the kept list says so) against curl
//     fetching the same file from the same server;
// (b) the SHA-256 the program computes for a finished download, against sha256sum on the
//     same file (warm in the page cache for both).
// (c) the malware scan of a finished 200 MB download: from the moment the kept list says
//     "finished" to the moment it holds the scan's verdict, against clamdscan --fdpass on
//     the same file and the same daemon (a clamd of the bench's own, started here, with a
//     signature database of one line), one run.
// The big files live in a temporary folder under /tmp and go with it.
//
// Usage (under an X display): bench_downloads [rounds]
#include "KeptList.h"
#include "LocalHttpServer.h"
#include "ProgramRun.h"
#include "downloads/FileHash.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>

namespace {

constexpr qint64 kSize = qint64(1) << 30;

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    const qsizetype n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

bool writeBigFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (qint64 done = 0; done < kSize; done += block.size()) {
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(block.data()),
                                              block.size() / 4);
        if (f.write(block) != block.size())
            return false;
    }
    return true;
}

// Runs a program to its end while this process's event loop (and so the server) runs.
bool runToEnd(const QString &program, const QStringList &args, QByteArray *out = nullptr)
{
    QProcess p;
    QEventLoop loop;
    QObject::connect(&p, &QProcess::finished, &loop, &QEventLoop::quit);
    p.start(program, args);
    if (!p.waitForStarted())
        return false;
    loop.exec();
    if (out)
        *out = p.readAllStandardOutput();
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QJsonObject keptRow(const ProgramRun &run)
{
    return keptRows(run.path() + QStringLiteral("/data/ScoutwellV3/downloads.json"))
        .first()
        .toObject();
}

// Milliseconds from Enter in the save dialog to the finished row, or -1. `early` gets the
// bytes the server had already sent when Enter went down.
double throughProgram(LocalHttpServer &server, const QString &url, qint64 *early)
{
    const qint64 before = server.sentBytes(QStringLiteral("/big.bin"));
    ProgramRun run(QStringLiteral(SCOUTWELL_BIN_DIR), QStringLiteral("/tmp"));
    run.setSetting(QStringLiteral("ShowSplash"), QStringLiteral("0"));
    run.setSetting(QStringLiteral("Start Page"), url);
    if (!run.start())
        return -1;
    const QString dialog
        = run.waitForWindow(QRegularExpression(QStringLiteral("^Save File$")), 30000);
    if (dialog.isEmpty())
        return -1;
    *early = server.sentBytes(QStringLiteral("/big.bin")) - before;
    QElapsedTimer clock;
    clock.start();
    run.key(dialog, QStringLiteral("Return"));
    while (keptRow(run).value(QStringLiteral("state")).toString() != QLatin1String("finished")) {
        if (clock.elapsed() > 300000)
            return -1;
        QTest::qWait(10);
    }
    const double ms = clock.nsecsElapsed() / 1e6;
    // Its own check of the file runs now; let it end before the next round is timed.
    while (keptRow(run).value(QStringLiteral("sha256")).toString().isEmpty()
           && clock.elapsed() < 300000)
        QTest::qWait(50);
    QFile::remove(keptRow(run).value(QStringLiteral("path")).toString());
    return ms;
}

// A clamd of the bench's own in `dir`, as large files as the bench gives it scanned whole.
bool startDaemon(QProcess &daemon, const QTemporaryDir &dir, QString *socket, QString *conf)
{
    *socket = dir.filePath(QStringLiteral("clamd.sock"));
    *conf = dir.filePath(QStringLiteral("clamd.conf"));
    QDir().mkpath(dir.filePath(QStringLiteral("db")));
    QFile db(dir.filePath(QStringLiteral("db/test.hdb")));
    QFile c(*conf);
    if (!db.open(QIODevice::WriteOnly) || !c.open(QIODevice::WriteOnly))
        return false;
    db.write("275a021bbfb6489e54d471899f7db9d1663fc695ec2fe2a2c4538aabf651fd0f:68:Eicar-Test-"
             "Signature\n");
    c.write(QStringLiteral("LocalSocket %1\nDatabaseDirectory %2/db\nForeground yes\n"
                           "TemporaryDirectory %2\nMaxFileSize 1000M\nMaxScanSize 1000M\n"
                           "StreamMaxLength 1000M\n")
                .arg(*socket, dir.path())
                .toUtf8());
    db.close();
    c.close();
    daemon.start(QStringLiteral("/usr/sbin/clamd"), {QStringLiteral("-c"), *conf});
    QElapsedTimer clock;
    clock.start();
    while (!QFileInfo::exists(*socket) && clock.elapsed() < 60000)
        QTest::qWait(50);
    return QFileInfo::exists(*socket);
}

bool scanBench(const QTemporaryDir &dir)
{
    constexpr qint64 kScanSize = qint64(200) << 20;
    const QString source = dir.filePath(QStringLiteral("scan.bin"));
    {
        QFile f(source);
        if (!f.open(QIODevice::WriteOnly))
            return false;
        QByteArray block(1 << 20, Qt::Uninitialized);
        for (qint64 done = 0; done < kScanSize; done += block.size()) {
            QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(block.data()),
                                                  block.size() / 4);
            f.write(block);
        }
    }
    QProcess daemon;
    QString socket, conf;
    if (!startDaemon(daemon, dir, &socket, &conf)) {
        std::printf("scan: clamd did not start (scripts/setup.sh installs clamav-daemon)\n");
        return false;
    }
    qputenv("SCOUTWELL_CLAMD_SOCKET", QFile::encodeName(socket));
    LocalHttpServer server;
    server.addDownload(QStringLiteral("/scan.bin"), source, {});
    ProgramRun run(QStringLiteral(SCOUTWELL_BIN_DIR), QStringLiteral("/tmp"));
    run.setSetting(QStringLiteral("ShowSplash"), QStringLiteral("0"));
    run.setSetting(QStringLiteral("Start Page"), server.url(QStringLiteral("/scan.bin")));
    if (!run.start())
        return false;
    const QString dialog
        = run.waitForWindow(QRegularExpression(QStringLiteral("^Save File$")), 30000);
    if (dialog.isEmpty())
        return false;
    run.key(dialog, QStringLiteral("Return"));
    QElapsedTimer clock;
    clock.start();
    while (keptRow(run).value(QStringLiteral("state")).toString() != QLatin1String("finished")) {
        if (clock.elapsed() > 300000)
            return false;
        QTest::qWait(5);
    }
    clock.restart();
    while (keptRow(run).value(QStringLiteral("scan")).toString().isEmpty()) {
        if (clock.elapsed() > 300000)
            return false;
        QTest::qWait(5);
    }
    const double program = clock.nsecsElapsed() / 1e6;
    const QString verdict = keptRow(run).value(QStringLiteral("scan")).toString();
    const QString file = keptRow(run).value(QStringLiteral("path")).toString();
    // The program's own check of the file may still run; it ends before the floor is timed.
    while (keptRow(run).value(QStringLiteral("sha256")).toString().isEmpty()
           && clock.elapsed() < 300000)
        QTest::qWait(20);
    QByteArray out;
    clock.restart();
    runToEnd(QStringLiteral("clamdscan"),
             {QStringLiteral("--fdpass"), QStringLiteral("--no-summary"), QStringLiteral("-c"),
              conf, file},
             &out);
    const double floor = clock.nsecsElapsed() / 1e6;
    std::printf("scan of 200 MB: program finish to verdict %.0f ms (%s), clamdscan --fdpass "
                "%.0f ms (%s), ratio %.2f (goal at most 1.1)\n",
                program, qPrintable(verdict), floor, out.trimmed().constData(), program / floor);
    QFile::remove(file);
    daemon.kill();
    daemon.waitForFinished();
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    QTemporaryDir dir(QStringLiteral("/tmp/bench_downloads-XXXXXX"));
    const QString source = dir.filePath(QStringLiteral("big.bin"));
    if (!writeBigFile(source)) {
        std::printf("cannot write %s\n", qPrintable(source));
        return 1;
    }
    LocalHttpServer server;
    server.addDownload(QStringLiteral("/big.bin"), source, {});
    const QString url = server.url(QStringLiteral("/big.bin"));

    QList<double> program, curl, ratios;
    for (int i = 0; i < rounds; ++i) {
        qint64 early = 0;
        const double p = throughProgram(server, url, &early);
        const QString copy = dir.filePath(QStringLiteral("curl.bin"));
        QElapsedTimer clock;
        clock.start();
        const bool ok = runToEnd(QStringLiteral("curl"), {"-s", "-o", copy, url});
        const double c = clock.nsecsElapsed() / 1e6;
        const bool whole = QFileInfo(copy).size() == kSize;
        QFile::remove(copy);
        std::printf("download round %d: program %.0f ms (%lld bytes sent before Enter), "
                    "curl %.0f ms\n",
                    i + 1, p, (long long)early, c);
        std::fflush(stdout);
        if (p < 0 || !ok || !whole)
            continue;
        program.append(p);
        curl.append(c);
        ratios.append(p / c);
    }
    if (!ratios.isEmpty())
        std::printf("download median: program %.0f ms, curl %.0f ms, median ratio %.2f "
                    "(goal at most 1.3)\n",
                    median(program), median(curl), median(ratios));

    // The page cache holds the file for both from here on.
    runToEnd(QStringLiteral("sha256sum"), {source});
    QList<double> ours, theirs, shares;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer clock;
        clock.start();
        const QByteArray hex = downloads::HashFile(source, downloads::HashAlgorithm::Sha256);
        const double o = clock.nsecsElapsed() / 1e6;
        QByteArray out;
        clock.restart();
        runToEnd(QStringLiteral("sha256sum"), {source}, &out);
        const double t = clock.nsecsElapsed() / 1e6;
        const bool same = out.startsWith(hex) && !hex.isEmpty();
        std::printf("hash round %d: program %.0f ms, sha256sum %.0f ms%s\n", i + 1, o, t,
                    same ? "" : " (sums differ!)");
        if (!same)
            return 1;
        ours.append(o);
        theirs.append(t);
        shares.append(t / o);
    }
    std::printf("hash median: program %.0f MB/s, sha256sum %.0f MB/s, throughput ratio %.2f "
                "(goal at least 0.8)\n",
                1024 * 1000 / median(ours), 1024 * 1000 / median(theirs), median(shares));
    std::fflush(stdout);
    QFile::remove(source);
    return scanBench(dir) ? 0 : 1;
}
