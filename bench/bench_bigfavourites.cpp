// The real program started with a favourites.ini of 50 MB against the same program with the
// favourites.ini it ships, alternating in one run: time from process start to the main
// window on screen (found by its title from outside), and the program's resident memory
// once the window, and so the menu, is there. Two files of 50 MB: 32,767 favourites whose
// captions and addresses run to some 750 bytes each ("long values"), and 32,767 favourites
// of ordinary length followed by a section of some 700,000 short keys ("many keys").
//
// The floor beside them: a bare menu in a bare window given the same 32,767 captions, as the
// INI reader returns them (at most 254 characters), measured in a fresh process.
//
// Usage (under an X display): bench_bigfavourites [rounds] [NAME=FOLDER ...]
// Each NAME=FOLDER adds another build of the program (its folder of binaries, such as a copy
// of build/bin from before a change), run in turn with this build in every round.
#include "ProgramRun.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QMenuBar>
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

Result run(const QString &binDir, const QByteArray *favourites)
{
    ProgramRun program(binDir, QString());
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

// Run in a child process: what a bare menu holding the favourites of one file adds to the
// memory of a bare window.
int bareMenu(bool longValues)
{
    QMainWindow window;
    QMenu *menu = window.menuBar()->addMenu(QStringLiteral("&Favourites"));
    window.show();
    QTest::qWait(500);
    const long before = residentKb(QCoreApplication::applicationPid());
    for (int n = 1; n <= 32767; ++n) {
        QString caption = QStringLiteral("Freeware site number %1").arg(n);
        if (longValues)
            caption = (caption + u' ' + QString(720, u'x')).left(254);
        menu->addAction(caption);
    }
    QTest::qWait(500);
    std::printf("%ld\n", residentKb(QCoreApplication::applicationPid()) - before);
    return 0;
}

long bareMenuKb(const char *self, bool longValues)
{
    QProcess p;
    p.start(QString::fromLocal8Bit(self),
            {QStringLiteral("--bare-menu"), QString::number(longValues)});
    p.waitForFinished(60000);
    return p.readAllStandardOutput().trimmed().toLong();
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--bare-menu")
        return bareMenu(atoi(argv[2]) != 0);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    QList<std::pair<QString, QString>> programs {{"this build", QStringLiteral(SCOUTWELL_BIN_DIR)}};
    for (int i = 2; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        programs.append({arg.section(u'=', 0, 0), arg.section(u'=', 1)});
    }
    const QByteArray files[] = {QByteArray(), bigFile(true), bigFile(false)};
    const char *names[] = {"shipped file", "long values", "many keys"};
    const qsizetype n = programs.size() * 3;
    QList<QList<qint64>> ms(n);
    QList<QList<long>> kb(n);
    for (int i = 0; i < rounds; ++i) {
        std::printf("round %d:\n", i + 1);
        for (qsizetype p = 0; p < programs.size(); ++p) {
            std::printf("  %s:", qPrintable(programs[p].first));
            for (int f = 0; f < 3; ++f) {
                const Result r = run(programs[p].second, f ? &files[f] : nullptr);
                std::printf(" %s %lld ms, %ld MB;", names[f], (long long)r.ms, r.kb / 1024);
                ms[p * 3 + f] << r.ms;
                kb[p * 3 + f] << r.kb;
            }
            std::printf("\n");
            std::fflush(stdout);
        }
    }
    // The memory beside each file is the difference from the same build's shipped file.
    std::printf("median of %d rounds:\n", rounds);
    for (qsizetype p = 0; p < programs.size(); ++p) {
        std::printf("  %s:", qPrintable(programs[p].first));
        const long shipped = median(kb[p * 3]);
        for (int f = 0; f < 3; ++f)
            std::printf(" %s (%.1f MB) %lld ms, %ld MB (%+ld);", names[f], files[f].size() / 1e6,
                        (long long)median(ms[p * 3 + f]), median(kb[p * 3 + f]) / 1024,
                        (median(kb[p * 3 + f]) - shipped) / 1024);
        std::printf("\n");
    }
    std::printf(
        "  floor, a bare menu with the same captions: long values %+ld MB; many keys %+ld MB\n",
        bareMenuKb(argv[0], true) / 1024, bareMenuKb(argv[0], false) / 1024);
    return 0;
}
