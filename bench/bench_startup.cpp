// Time from process start until the first page's title is in the main window's title, for
// the program (splash off, a local start page) and for a bare engine view loading the same
// page, alternating in one run. Both are watched the same way, by polling the X server for
// the window title, so the polling cost falls on both alike.
//
// Usage (under an X display): bench_startup [rounds]
#include "LocalHttpServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>

namespace {

bool titleShown(qint64 pid, const QString &title)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"),
            {QStringLiteral("search"), QStringLiteral("--pid"), QString::number(pid),
             QStringLiteral("--name"), title});
    p.waitForFinished(2000);
    return !p.readAllStandardOutput().trimmed().isEmpty();
}

// Milliseconds to the title, or -1 when it never came.
qint64 measure(const QString &program, const QStringList &args, const QProcessEnvironment &env,
               const QString &title)
{
    QProcess proc;
    proc.setProcessEnvironment(env);
    proc.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    proc.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    proc.start(program, args);
    proc.waitForStarted();
    qint64 result = -1;
    while (clock.elapsed() < 30000) {
        if (titleShown(proc.processId(), title)) {
            result = clock.elapsed();
            break;
        }
        QTest::qWait(5);
    }
    proc.kill();
    proc.waitForFinished();
    return result;
}

QProcessEnvironment freshEnvironment(const QString &dir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), dir + QStringLiteral("/cache"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir + QStringLiteral("/data"));
    env.insert(QStringLiteral("HOME"), dir);
    // A private runtime folder, or a Scoutwell already running would take the start over.
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir);
    return env;
}

double median(QList<qint64> v)
{
    std::sort(v.begin(), v.end());
    const qsizetype n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 9;
    LocalHttpServer server;
    server.addPage(QStringLiteral("/start.html"),
                   "<html><head><title>Bench Start Page</title></head>"
                   "<body><h1>Start</h1><p>Freeware, found fast.</p></body></html>");
    const QString url = server.url(QStringLiteral("/start.html"));
    const QString title = QStringLiteral("Bench Start Page");

    QList<qint64> ours, floor, ratios;
    for (int i = 0; i < rounds; ++i) {
        QTemporaryDir a, b;
        QProcessEnvironment envA = freshEnvironment(a.path());
        {
            QSettings s(a.path() + QStringLiteral("/config/ScoutwellV3.ini"), QSettings::IniFormat);
            s.setValue(QStringLiteral("Settings/ShowSplash"), QStringLiteral("0"));
            s.setValue(QStringLiteral("Settings/Start Page"), url);
        }
        QProcessEnvironment envB = freshEnvironment(b.path());
        envB.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
        const qint64 f
            = measure(QStringLiteral(BENCH_BIN_DIR "/bench_bare_view"), {url}, envB, title);
        const qint64 o = measure(QStringLiteral(SCOUTWELL_BIN_DIR "/scoutwell"), {}, envA, title);
        std::printf("round %d: scoutwell %lld ms, bare view %lld ms\n", i + 1, (long long)o,
                    (long long)f);
        std::fflush(stdout);
        if (o < 0 || f < 0)
            continue;
        ours.append(o);
        floor.append(f);
        ratios.append(o * 1000 / f);
    }
    if (ours.isEmpty()) {
        std::printf("no round finished\n");
        return 1;
    }
    std::printf("median: scoutwell %.0f ms, bare view %.0f ms, median ratio %.3f\n", median(ours),
                median(floor), median(ratios) / 1000.0);
    return 0;
}
