// The real program started with a favourites.ini of 50 MB against the same program with the
// favourites.ini it ships, alternating in one run: time from process start to the main
// window on screen (found by its title from outside), and the program's resident memory
// once the window, and so the menu, is there. Two files of 50 MB: 32,767 favourites whose
// captions and addresses run to some 750 bytes each ("long values"), and 32,767 favourites
// of ordinary length followed by a section of some 700,000 short keys ("many keys").
//
// Usage (under an X display): bench_bigfavourites [rounds]
#include "ProgramRun.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTest>

#include <algorithm>
#include <cstdio>

namespace {

QByteArray bigFile(bool longValues)
{
    QByteArray captions = "[Favourites]\n", links = "[Links]\n", notes = "\n[Notes]\n";
    const QByteArray padding = longValues ? ' ' + QByteArray(720, 'x') : QByteArray();
    for (int n = 1; n <= 32767; ++n) {
        const QByteArray num = QByteArray::number(n);
        captions += num + "=Freeware site number " + num + padding + '\n';
        links += num + "=http://site" + num + ".example/downloads/" + padding + '\n';
    }
    const qsizetype size = 50 * 1000 * 1000 - captions.size() - links.size();
    for (int n = 1; notes.size() < size; ++n) {
        const QByteArray num = QByteArray::number(n);
        notes += "note" + num + "=a note kept beside the favourites, number " + num + '\n';
    }
    return captions + '\n' + links + notes;
}

long residentKb(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    const QByteArray status = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    const qsizetype at = status.indexOf("VmRSS:");
    return at < 0 ? -1 : status.mid(at + 6).trimmed().split(' ').value(0).toLong();
}

struct Result
{
    qint64 ms = -1;
    long kb = -1;
};

Result run(const QByteArray *favourites)
{
    ProgramRun program(QStringLiteral(SCOUTWELL_BIN_DIR), QString());
    program.setSetting(QStringLiteral("ShowSplash"), QStringLiteral("0"));
    program.setSetting(QStringLiteral("Start Page"), QStringLiteral("about:blank"));
    if (favourites) {
        QFile f(program.programFolder() + QStringLiteral("/favourites.ini"));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(*favourites) < 0)
            return {};
    }
    Result r;
    QElapsedTimer clock;
    clock.start();
    if (!program.start())
        return r;
    while (clock.elapsed() < 60000) {
        QProcess p;
        p.start(QStringLiteral("xdotool"),
                {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                 QString::number(program.processId()), QStringLiteral("--name"),
                 QStringLiteral("^Scoutwell")});
        p.waitForFinished(2000);
        if (!p.readAllStandardOutput().trimmed().isEmpty()) {
            r.ms = clock.elapsed();
            break;
        }
        QTest::qWait(5);
    }
    // Let what the first page starts settle before the memory is read.
    QTest::qWait(2000);
    r.kb = residentKb(program.processId());
    return r;
}

template<class T> T median(QList<T> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    const QByteArray files[] = {QByteArray(), bigFile(true), bigFile(false)};
    const char *names[] = {"shipped file", "long values", "many keys"};
    QList<qint64> ms[3];
    QList<long> kb[3];
    for (int i = 0; i < rounds; ++i) {
        std::printf("round %d:", i + 1);
        for (int f = 0; f < 3; ++f) {
            const Result r = run(f ? &files[f] : nullptr);
            std::printf(" %s %lld ms, %ld MB;", names[f], (long long)r.ms, r.kb / 1024);
            ms[f] << r.ms;
            kb[f] << r.kb;
        }
        std::printf("\n");
        std::fflush(stdout);
    }
    std::printf("median of %d rounds:", rounds);
    for (int f = 0; f < 3; ++f)
        std::printf(" %s (%.1f MB) %lld ms, %ld MB;", names[f], files[f].size() / 1e6,
                    (long long)median(ms[f]), median(kb[f]) / 1024);
    std::printf("\n");
    return 0;
}
