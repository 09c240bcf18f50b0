// Times building the Favourites menu from a favourites.ini of 32,767 entries against the
// floor of adding the same number of actions to a bare QMenu, in one run. Each round uses
// a fresh copy of the file, so every build includes reading and parsing it.
//
//   QT_QPA_PLATFORM=offscreen bench_favourites [rounds]

#include "FakeWebBrowser.h"
#include "app/App.h"
#include "app/MDIForm1.h"
#include "favourites/FavouritesMenu.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kEntries = favourites::kMaxFavourites;

QByteArray favouritesFile()
{
    QByteArray captions = "[Favourites]\n";
    QByteArray links = "[Links]\n";
    for (int n = 1; n <= kEntries; ++n) {
        const QByteArray num = QByteArray::number(n);
        captions += num + "=Freeware site number " + num + '\n';
        links += num + "=http://site" + num + ".example/downloads/\n";
    }
    return captions + '\n' + links;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    // The main window is made without the browser engine: the menu is what is timed, and the
    // engine starting beside it would only add noise (and refuse to run as root).
    engine::SetWebBrowserFactory([](QWidget *parent) { return new FakeWebBrowser(parent); });
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 7;

    QTemporaryDir dir;
    const QByteArray bytes = favouritesFile();
    QStringList captions;
    for (int n = 1; n <= kEntries; ++n)
        captions.append(QStringLiteral("Freeware site number %1").arg(n));

    std::vector<double> floors, builds, ratios;
    for (int round = 0; round < rounds; ++round) {
        // The floor: the same captions added to a menu that nothing else owns.
        double floorMs;
        {
            QMenu menu;
            QElapsedTimer t;
            t.start();
            for (const QString &caption : captions)
                menu.addAction(caption);
            floorMs = t.nsecsElapsed() / 1e6;
        }

        const QString folder = dir.filePath(QStringLiteral("round%1").arg(round));
        QDir().mkpath(folder);
        QFile f(folder + QStringLiteral("/favourites.ini"));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            return 1;
        f.close();
        app::SetProgramFolder(folder);

        double buildMs;
        qsizetype items;
        {
            MDIForm1 main;
            QElapsedTimer t;
            t.start();
            favourites::BuildFavouritesMenu(&main);
            buildMs = t.nsecsElapsed() / 1e6;
            items = main.mnuFT1.size() - 1;
        }
        if (items != kEntries) {
            std::fprintf(stderr, "built %lld items, expected %d\n", (long long)items, kEntries);
            return 1;
        }
        floors.push_back(floorMs);
        builds.push_back(buildMs);
        ratios.push_back(buildMs / floorMs);
        std::printf("round %d: floor %.1f ms, menu %.1f ms, ratio %.3f\n", round + 1, floorMs,
                    buildMs, buildMs / floorMs);
    }
    std::printf("median of %d rounds: floor %.1f ms, menu %.1f ms, ratio %.3f\n", rounds,
                median(floors), median(builds), median(ratios));
    return 0;
}
