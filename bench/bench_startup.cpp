// Time from process start until the first page's title is in the main window's title, for
// the program (splash off, a local start page) and for three floors loading the same page: a
// bare engine view on the engine's default profile, one on a persistent profile with a disk
// cache, and that one as a maximized child in a plain main window with menus, a
// multi-document area and a status bar, its title put up at the end of the load (the frame
// and the moment the program's design has), all in one run. All are watched the same way, by
// polling the X server for the window title, so the polling cost falls on each alike. The
// program runs three times a round: with the Guard on as a first start finds it (its default
// lists read and compiled in the background), with the Guard on and its index ready from an
// earlier start (every later start), and with the Guard switched off in guard.ini.
//
// Usage (under an X display): bench_startup [rounds] [program] [baseline]
// where program is another build of scoutwell to measure instead of this one, and baseline
// (optional) an earlier build measured in the same rounds with its index ready, for a
// before-and-after of one change.
#include "LocalHttpServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

bool titleShown(qint64 pid, const QString &title)
{
    QProcess p;
    // --all: xdotool's conditions are otherwise joined by "or", and any window of the
    // process, long before the page's title, would stop the clock.
    p.start(QStringLiteral("xdotool"),
            {QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--pid"),
             QString::number(pid), QStringLiteral("--name"), title});
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
    // A program that ended (refused by a busy X server, say) counts as a round lost.
    while (clock.elapsed() < 30000 && proc.state() == QProcess::Running) {
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
    const QString program = argc > 2 && argv[2][0] ? QString::fromLocal8Bit(argv[2])
                                                   : QStringLiteral(SCOUTWELL_BIN_DIR "/scoutwell");
    const QString baseline = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    LocalHttpServer server;
    server.addPage(QStringLiteral("/start.html"),
                   "<html><head><title>Bench Start Page</title></head>"
                   "<body><h1>Start</h1><p>Freeware, found fast.</p></body></html>");
    const QString url = server.url(QStringLiteral("/start.html"));
    const QString title = QStringLiteral("Bench Start Page");

    // The program and the floors, each in a fresh folder, taking turns at going first so that
    // none always meets a machine just woken by the one before it.
    // The ready index: one start of the program, left running until it has saved its index.
    QTemporaryDir warm;
    {
        QProcess proc;
        proc.setProcessEnvironment(freshEnvironment(warm.path()));
        proc.setStandardOutputFile(QProcess::nullDevice());
        proc.setStandardErrorFile(QProcess::nullDevice());
        proc.start(program, {url});
        const QString index = warm.path() + QStringLiteral("/cache/ScoutwellV3/lists/index.bin");
        QElapsedTimer clock;
        clock.start();
        while (!QFileInfo::exists(index) && clock.elapsed() < 180000)
            QTest::qWait(100);
        QTest::qWait(500);
        proc.kill();
        proc.waitForFinished();
        if (!QFileInfo::exists(index)) {
            std::printf("the program saved no index\n");
            return 1;
        }
    }
    enum { Ours, GuardReady, GuardOff, Bare, Persistent, Frame, Baseline, Count };
    const char *const names[Count] = {"scoutwell guard first start",
                                      "scoutwell guard index ready",
                                      "scoutwell guard off",
                                      "bare view",
                                      "persistent view",
                                      "frame view",
                                      "baseline guard index ready"};
    const int configs = baseline.isEmpty() ? Baseline : Count;
    QList<qint64> ms[Count], ratios[Count], againstOff[Count];
    for (int i = 0; i < rounds; ++i) {
        qint64 t[Count] = {};
        for (int k = 0; k < configs; ++k) {
            const int c = (i + k) % configs;
            QTemporaryDir dir;
            QProcessEnvironment env = freshEnvironment(dir.path());
            if (c == Ours || c == GuardReady || c == GuardOff || c == Baseline) {
                if (c == GuardReady || c == Baseline) {
                    const QString lists = QStringLiteral("/cache/ScoutwellV3/lists/");
                    QDir().mkpath(dir.path() + lists);
                    for (const QString &f : QDir(warm.path() + lists).entryList(QDir::Files))
                        QFile::copy(warm.path() + lists + f, dir.path() + lists + f);
                }
                if (c == GuardOff) {
                    QDir().mkpath(dir.path() + QStringLiteral("/data/ScoutwellV3"));
                    QFile ini(dir.path() + QStringLiteral("/data/ScoutwellV3/guard.ini"));
                    if (!ini.open(QIODevice::WriteOnly) || ini.write("[Guard]\nEnabled=0\n") < 0)
                        return 1;
                }
                QSettings s(dir.path() + QStringLiteral("/config/ScoutwellV3.ini"),
                            QSettings::IniFormat);
                s.setValue(QStringLiteral("Settings/ShowSplash"), QStringLiteral("0"));
                s.setValue(QStringLiteral("Settings/Start Page"), url);
                s.sync();
                t[c] = measure(c == Baseline ? baseline : program, {}, env, title);
            } else {
                // The program switches its sandbox off only as root; so do the floors.
                if (::geteuid() == 0)
                    env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
                QStringList args {url};
                if (c == Frame)
                    args = QStringList {QStringLiteral("--at-load-end"), QStringLiteral("--frame")}
                        + args;
                if (c != Bare)
                    args.prepend(QStringLiteral("--persistent"));
                t[c] = measure(QStringLiteral(BENCH_BIN_DIR "/bench_bare_view"), args, env, title);
            }
        }
        std::printf("round %d:", i + 1);
        for (int c = 0; c < configs; ++c)
            std::printf(" %s %lld ms%s", names[c], (long long)t[c], c + 1 < configs ? "," : "\n");
        std::fflush(stdout);
        if (std::any_of(t, t + configs, [](qint64 v) { return v < 0; }))
            continue;
        for (int c = 0; c < configs; ++c) {
            ms[c].append(t[c]);
            ratios[c].append(t[Ours] * 1000 / t[c]);
            againstOff[c].append(t[c] * 1000 / t[GuardOff]);
        }
    }
    if (ms[Ours].isEmpty()) {
        std::printf("no round finished\n");
        return 1;
    }
    std::printf("median of %lld rounds:", (long long)ms[Ours].size());
    for (int c = 0; c < configs; ++c)
        std::printf(" %s %.0f ms%s", names[c], median(ms[c]), c + 1 < configs ? "," : "\n");
    std::printf("median ratio:");
    for (int c = GuardOff; c < configs; ++c)
        std::printf(" scoutwell / %s %.3f%s", names[c], median(ratios[c]) / 1000.0,
                    c + 1 < configs ? "," : "\n");
    std::printf("median ratio to the guard off: first start %.3f, index ready %.3f\n",
                median(againstOff[Ours]) / 1000.0, median(againstOff[GuardReady]) / 1000.0);
    if (configs == Count) {
        // Both with the index ready: the change alone.
        QList<qint64> change;
        for (qsizetype r = 0; r < ms[GuardReady].size(); ++r)
            change.append(ms[GuardReady][r] * 1000 / ms[Baseline][r]);
        std::printf("median ratio index ready / baseline index ready: %.3f\n",
                    median(change) / 1000.0);
    }
    return 0;
}
