#include "CacheFiles.h"
#include "KeptList.h"
#include "TestEnv.h"
#include "app/App.h"
#include "browse/Ope.h"
#include "compat/FileLists.h"
#include "compat/Memory.h"
#include "compat/Settings.h"
#include "compat/UrlCache.h"
#include "compat/WindowDrawing.h"
#include "engine/EngineSetup.h"
#include "support/clsMemoryManagement.h"
#include "support/clsSideBar.h"

#include <QtTest>
#include <QtWidgets>

#include <cstring>
#include <fcntl.h>
#include <numeric>
#include <sys/inotify.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace compat;
using namespace app;
using namespace cachefiles;

namespace {

const auto addr = [](const void *p) { return reinterpret_cast<std::intptr_t>(p); };

// A readable and writable page followed by one that cannot be touched at all.
struct Pages
{
    const std::size_t size = std::size_t(::sysconf(_SC_PAGESIZE));
    char *base = static_cast<char *>(
        ::mmap(nullptr, 2 * size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    Pages() { ::mprotect(base + size, size, PROT_NONE); }
    ~Pages() { ::munmap(base, 2 * size); }
    char *end() const { return base + size; }
};

// The access rights of the mapping that holds `at`, as /proc/self/maps shows them. A block
// may share its mapping with a neighbour of the same rights (under the sanitizers, which
// make locking a no-op).
QByteArray rights(std::intptr_t at)
{
    for (const QByteArray &line : readFile(QStringLiteral("/proc/self/maps")).split('\n')) {
        unsigned long long from = 0, to = 0;
        char perms[5] = {};
        if (std::sscanf(line.constData(), "%llx-%llx %4s", &from, &to, perms) == 3
            && from <= quint64(at) && quint64(at) < to)
            return perms;
    }
    return {};
}

// Locked memory of the process in kB; -1 where locking cannot be seen: the sanitizers make
// it a no-op, and without the right to lock a page the block is held unlocked.
qlonglong lockedKb()
{
#if defined(__SANITIZE_ADDRESS__)
    return -1;
#endif
    rlimit limit {};
    if (::geteuid() != 0 && (::getrlimit(RLIMIT_MEMLOCK, &limit) != 0 || limit.rlim_cur < 8192))
        return -1;
    const QByteArray status = readFile(QStringLiteral("/proc/self/status"));
    const qsizetype at = status.indexOf("VmLck:");
    return at < 0 ? -1 : status.mid(at + 6).trimmed().split(' ').value(0).toLongLong();
}

long peakRssKb()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A copy out of (ReadFrom), or into (WriteTo), the block from a buffer, an unmapped page or
// a read-only one.
struct Copy
{
    bool out;
    QString other;
    int length;
    bool emptyObject;
};

struct Extract
{
    QByteArray bytes;
    int lMax;
    bool inBlock;
    QString expected;
};

// Fill style 0 is a fresh object, only refreshed; the band's first of its 20 columns (-1:
// no band); the window's height at the drawing (150 after it).
struct Band
{
    int fillStyle, align;
    QColor back;
    int bandFrom, height;
};

} // namespace

class TestPlatform : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The passcode is stored as typed, so the file must stay its owner's alone, even after
    // a careless tool loosened it; it lives in the XDG config folder. Storing what the file
    // holds leaves it alone (every real write replaces the file, so its inode tells), and a
    // rewrite by another program, hand-typed comma included, is seen at the next read. Each
    // value comes back exactly as saved, whatever the INI writer must escape; a key never
    // saved gives the caller's default.
    void settingsFile()
    {
        TestEnv env;
        QCOMPARE(env.settingsFile(), env.path() + QStringLiteral("/config/ScoutwellV3.ini"));
        const auto inode = [&env] {
            struct stat st = {};
            return ::stat(QFile::encodeName(env.settingsFile()).constData(), &st) ? 0 : st.st_ino;
        };
        SaveSetting("Passcode", "secret");
        const auto mine = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
            | QFileDevice::WriteUser;
        QCOMPARE(QFile::permissions(env.settingsFile()), mine);
        QVERIFY(QFile::setPermissions(env.settingsFile(), mine | QFileDevice::ReadOther));
        const auto written = inode();
        SaveSetting("Passcode", "secret");
        QCOMPARE(inode(), written);
        SaveSetting("Log", "1");
        QVERIFY(inode() != written);
        QCOMPARE(QFile::permissions(env.settingsFile()), mine);
        QVERIFY(readFile(env.settingsFile()).startsWith("[Settings]\nLog=1\nPasscode=secret"));
        QVERIFY(writeFile(env.settingsFile(), "[Settings]\nStart%20Page=http://n/\nTips=a, b\n"));
        QCOMPARE(GetSetting("Start Page"), "http://n/");
        QCOMPARE(GetSetting("Tips"), "a,b");
        for (const QString &value :
             {QString::fromUtf8("@Invalid() a,b;c \"q\" ?a#e C:\\x é\n  "), QString()}) {
            const QString key = value.isEmpty() ? "Home Page" : "Bground";
            QCOMPARE(GetSetting(key, "default"), "default");
            SaveSetting(key, value);
            QCOMPARE(GetSetting(key, "default"), value);
        }
        // Only root loses the engine's sandbox, and the flag is added once.
        for (auto [root, given, flags] : {std::tuple {false, "--foo", "--foo"},
                                          {true, "", "--no-sandbox"},
                                          {true, "--foo", "--foo --no-sandbox"},
                                          {true, "--no-sandbox", "--no-sandbox"}})
            QCOMPARE(engine::EngineFlagsFor(root, given), QByteArray(flags));
    }

    // The Open window's pattern and the wildcards' rules, through the list that shows them.
    void fileList()
    {
        QTemporaryDir dir;
        for (const char *name : {"b.html", "A.htm", "note.emlx", "picture.gif", ".hidden.htm",
                                 "page.htmx", "[x].htm", "README", "ab.dat", "a.dat", "xaybzb"})
            QVERIFY(QFile(dir.filePath(QLatin1String(name))).open(QIODevice::WriteOnly));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.htm")));
        FileListBox list;
        list.setPath(dir.path());
        list.setPattern(QLatin1String(Ope::kPattern));
        QCOMPARE(list.names(), (QStringList {"[x].htm", "A.htm", "b.html", "note.emlx"}));
        // A selection survives the pattern being set again, as it is at each activation.
        list.setFileName(QStringLiteral("b.html"));
        list.setPattern(QLatin1String(Ope::kPattern));
        QCOMPARE(list.FileName(), QStringLiteral("b.html"));
        list.setPattern(QStringLiteral("a?.DAT ; *a*b"));
        QCOMPARE(list.names(), (QStringList {"ab.dat", "xaybzb"}));
        QCOMPARE(list.FileName(), QString());
        list.setPattern(QStringLiteral("*.*"));
        QCOMPARE(list.names().size(), 10);
    }

    // Beside two good entries, files named like entries (as the engine names their keys,
    // unless a name is given) that the walk lists only where a URL is given. Only plain files
    // are opened: a pipe or a device named like an entry is not.
    void walkListsWholeEntriesOnly()
    {
        TestEnv env;
        const auto key
            = [](const char *name) { return "1/0/http://127.0.0.1/" + QByteArray(name); };
        const QByteArray longKey = key("") + QByteArray(9000, 'q'),
                         zeroKey = key("zero") + QByteArray("\0x", 2);
        const QString elsewhere = env.path() + "/elsewhere";
        // clang-format off
        const struct { QByteArray key, bytes; QString listed, name; } files[] = { // bytes {}: whole
            {key("a.html"),    {}, "http://127.0.0.1/a.html", ""},
            {key("b.html"),    {}, "http://127.0.0.1/b.html", ""},
            {"1/0/_dk_http://x.test http://x.test http://c.test/p", {}, "http://c.test/p", ""},
            {longKey,          {}, longKey.mid(4), ""},
            {key("truncated"), entryBytes(key("truncated")).chopped(16), "", ""},
            {key("oversized"), entryBytes(key("oversized") + QByteArray(2 << 20, 'x')), "", ""},
            {key("foreign"),   entryBytes(key("foreign"), 0x1234), "", ""},
            {zeroKey,          {}, "", ""},
            {key("upper"),     {}, "", entryName(key("upper")).toUpper()},
            {key("stream"),    {}, "", entryName(key("stream")).replace("_0", "_1")},
            {key("pipe"),      {}, "", "pipe"},
            {key("link"),      {}, "", "link"},
        };
        // clang-format on
        QStringList listed;
        QString pipe;
        for (const auto &f : files) {
            const QString path
                = UrlCacheFolder() + '/' + (f.name.contains('_') ? f.name : entryName(f.key));
            if (f.name == "pipe")
                QCOMPARE(::mkfifo(QFile::encodeName(pipe = path).constData(), 0600), 0);
            else
                QVERIFY(writeFile(f.name == "link" ? elsewhere : path,
                                  f.bytes.isNull() ? entryBytes(f.key) : f.bytes)
                        && (f.name != "link" || QFile::link(elsewhere, path)));
            listed << f.listed.split(' ', Qt::SkipEmptyParts);
        }
        const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        ::inotify_add_watch(watch, QFile::encodeName(UrlCacheFolder()).constData(), IN_OPEN);
        listed.sort();
        QCOMPARE(walk(true), listed);
        alignas(inotify_event) char events[65536];
        const ssize_t n = ::read(watch, events, sizeof events);
        for (auto *e = (inotify_event *)events; (char *)e < events + n;
             e = (inotify_event *)((char *)(e + 1) + e->len))
            QVERIFY(!pipe.endsWith(e->name));
        ::close(watch);
    }

    void sizedWalkThenDelete()
    {
        TestEnv env;
        std::int32_t size = 0;
        QCOMPARE(FindFirstUrlCacheEntryA(nullptr, nullptr, &size), HANDLE(nullptr));
        QCOMPARE(size, 0); // empty cache: the size stays 0
        const QByteArray local = "http://127.0.0.1/",
                         split = "1/0/_dk_http://s.test http://s.test ";
        QStringList files;
        for (const QByteArray &key :
             {"1/0/" + local + "keep", "1/0/" + local + "gone", split + local + "split"}) {
            const QString base = writeEntry(UrlCacheFolder(), key).chopped(2);
            for (const char *stream : {"_1", "_s"})
                writeFile(base + QLatin1String(stream), "stream");
            files << base + "_0" << base + "_1" << base + "_s";
        }
        const QString replaced = writeEntry(UrlCacheFolder(), split + local + "old");
        // A plain key in a file not named by its hash: listed, so the killer must delete it.
        const QString moved = UrlCacheFolder() + "/00000000000000ff_0";
        QVERIFY(writeFile(moved, entryBytes("1/0/" + local + "moved")));
        // Each entry is sized with no buffer, then with one a byte short, then fetched;
        // sizing does not move the walk on, and the URL's address lies in the caller's buffer.
        HANDLE h = nullptr;
        const auto call = [&](INTERNET_CACHE_ENTRY_INFOA *info, std::int32_t *n) {
            return h ? FindNextUrlCacheEntryA(h, info, n)
                     : bool(h = FindFirstUrlCacheEntryA(nullptr, info, n));
        };
        QStringList urls;
        for (size = 0; !call(nullptr, &size) && size; size = 0) {
            QByteArray buffer(size, '\0');
            auto *info = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA *>(buffer.data());
            std::int32_t shorter = size - 1;
            QVERIFY(!call(info, &shorter) && shorter == size && call(info, &size));
            const char *url = info->lpszSourceUrlName;
            QVERIFY(url >= buffer.constData() + sizeof *info
                    && url + qstrlen(url) < buffer.constData() + buffer.size());
            urls << url;
        }
        QVERIFY(FindCloseUrlCache(h));
        QCOMPARE(walk(), urls); // the same order from one walk to the next
        urls.sort();
        QCOMPARE(urls,
                 QStringList({local + "gone", local + "keep", local + "moved", local + "old",
                              local + "split"}));
        // Since the walk the file holds another address: it is not the old URL's to delete.
        writeFile(replaced, entryBytes("1/0/" + local + "new"));
        for (const char *name : {"gone", "split", "moved"})
            QVERIFY(DeleteUrlCacheEntryA((local + name).constData()));
        for (const char *name : {"gone", "old", "never-cached", ""})
            QVERIFY(!DeleteUrlCacheEntryA(*name ? (local + name).constData() : ""));
        QVERIFY(!QFile::exists(moved));
        for (int i = 0; i < files.size(); ++i)
            QCOMPARE(QFile::exists(files[i]), i < 3);
        QCOMPARE(walk(true), QStringList({local + "keep", local + "new"}));
        // Changed after that walk with the folder's time left as it was, as a coarse
        // file-system clock leaves it: the next walk sees the folder as it is.
        struct stat before = {};
        const QByteArray folder = QFile::encodeName(UrlCacheFolder());
        QVERIFY(::stat(folder.constData(), &before) == 0 && QFile::remove(files[0]));
        writeEntry(UrlCacheFolder(), "1/0/" + local + "later");
        const timespec times[2] = {{0, UTIME_OMIT}, before.st_mtim};
        QVERIFY(::utimensat(AT_FDCWD, folder.constData(), times, 0) == 0);
        QCOMPARE(walk(true), QStringList({local + "later", local + "new"}));
    }

    void walkHoldsABoundedTotal()
    {
        TestEnv env;
        // Keys of the longest address the engine takes, more of them than the walk holds.
        for (int i = 0; i < 20; ++i)
            writeEntry(UrlCacheFolder(),
                       "1/0/http://127.0.0.1/" + QByteArray((2 << 20) - 30, 'a' + i));
        const QStringList urls = walk();
        QVERIFY(urls.size() > 1 && urls.join(QString()).size() <= 32 << 20);
    }

    // A 100-byte block holding 1..100 copied out to, or in from, another range; nothing may
    // fault, and only a copy between the block and a plain buffer moves bytes.
    void copies_data()
    {
        QTest::addColumn<Copy>("row");
        QTest::newRow("84 bytes out") << Copy {true, "buffer", 84, false};
        QTest::newRow("out of an empty object") << Copy {true, "buffer", 84, true};
        QTest::newRow("into an empty object") << Copy {false, "buffer", 84, true};
        QTest::newRow("out to an unmapped page") << Copy {true, "unmapped", 16, false};
        QTest::newRow("out to a read-only page") << Copy {true, "readonly", 16, false};
        QTest::newRow("in from an unmapped page") << Copy {false, "unmapped", 16, false};
        QTest::newRow("negative length") << Copy {true, "buffer", -1, false};
        QTest::newRow("out, longer than the block") << Copy {true, "buffer", 200, false};
        QTest::newRow("in, longer than the block") << Copy {false, "buffer", 200, false};
    }

    void copies()
    {
        QFETCH(Copy, row);
        const auto &[out, other, length, emptyObject] = row;
        QByteArray pattern(100, '\0'), buffer(300, 'P');
        std::iota(pattern.begin(), pattern.end(), char(1));
        clsMemoryManagement block;
        const qlonglong lockedBefore = lockedKb();
        block.Allocate(100);
        const std::intptr_t first = block.Handle();
        // Page-aligned, readable and writable, never executable, and locked.
        QVERIFY(first % ::sysconf(_SC_PAGESIZE) == 0 && rights(first) == "rw-p");
        QVERIFY(lockedBefore < 0 || lockedKb() >= lockedBefore + 4);
        block.WriteTo(addr("left over"), 10);
        // The old block is given back before the new one is taken; a size of 0 leaves the
        // object empty, and a new block is zero-filled.
        block.Allocate(emptyObject ? 0 : 100);
        const bool released = compat::IsBadReadPtr(first, 1);
        // The old block's lock went with it; a new block holds one page locked.
        QVERIFY(lockedBefore < 0 || lockedKb() == lockedBefore + (emptyObject ? 0 : 4));
        QVERIFY(emptyObject ? !block.Handle() && released : block.Handle() == first || released);
        block.ReadFrom(addr(buffer.data()), 10);
        QCOMPARE(buffer.left(10), QByteArray(10, emptyObject ? 'P' : '\0'));
        buffer.fill('P');
        block.WriteTo(addr(pattern.constData()), 100);
        Pages pages;
        // The checks only ask: the untouched page stays out of memory.
        unsigned char resident = 1;
        QVERIFY(!compat::IsBadReadPtr(addr(pages.base), 8)
                && !compat::IsBadWritePtr(addr(pages.base), 8));
        QVERIFY(::mincore(pages.base, pages.size, &resident) == 0 && !(resident & 1));
        ::mprotect(pages.base, pages.size,
                   other == "readonly" ? PROT_READ : PROT_READ | PROT_WRITE);
        const std::intptr_t target = other == "unmapped" ? addr(pages.end())
            : other == "readonly"                        ? addr(pages.base)
                                                         : addr(buffer.data());
        out ? block.ReadFrom(target, length) : block.WriteTo(target, length);
        const bool copied = out && other == "buffer" && !emptyObject && length == 84;
        QCOMPARE(buffer, copied ? pattern.left(84) + QByteArray(216, 'P') : QByteArray(300, 'P'));
        block.ReadFrom(addr(buffer.data()), 100); // the block still holds what it held
        QCOMPARE(buffer.left(100), emptyObject ? QByteArray(100, 'P') : pattern);
    }

    // The bytes end where a readable page does, or fill a block of their size whose page goes
    // on with more text; a null array stands for address 0 and an empty one for the
    // unreadable page's first byte.
    void extractString_data()
    {
        QTest::addColumn<Extract>("row");
        // clang-format off
        QTest::newRow("address 0") << Extract {QByteArray(), 10, false, ""};
        QTest::newRow("unmapped address") << Extract {QByteArray(""), 10, false, ""};
        QTest::newRow("longer than lMax: cut to lMax - 1") << Extract {QByteArray("abcdefghij", 11), 5, false, "abcd"};
        QTest::newRow("unreadable before its end") << Extract {QByteArray("abcdef"), 100, false, ""};
        QTest::newRow("lMax ends before unreadable memory") << Extract {QByteArray("abcdef"), 4, false, "abc"};
        QTest::newRow("lMax 0") << Extract {QByteArray("abc", 4), 0, false, ""};
        QTest::newRow("UTF-8") << Extract {QByteArray("caf\xc3\xa9", 6), 6, false, QString::fromUtf8("café")};
        QTest::newRow("lMax far beyond the string") << Extract {QByteArray("abc", 4), INT_MAX, false, "abc"};
        QTest::newRow("block ends first: cut to its size - 1") << Extract {QByteArray("abcdef"), 100, true, "abcde"};
        QTest::newRow("in a block") << Extract {QByteArray("abc", 4), 100, true, "abc"};
        // clang-format on
    }

    void extractString()
    {
        QFETCH(Extract, row);
        const auto &[bytes, lMax, inBlock, expected] = row;
        Pages pages;
        clsMemoryManagement block;
        block.Allocate(int(bytes.size()));
        char *at = inBlock ? reinterpret_cast<char *>(block.Handle()) : pages.end() - bytes.size();
        std::memcpy(at, bytes.constData(), std::size_t(bytes.size()));
        if (inBlock)
            std::strcpy(at + bytes.size(), "past the block");
        const long peak = peakRssKb();
        QCOMPARE(block.ExtractString(bytes.isNull() ? 0 : addr(at), lMax), expected);
        QVERIFY(peakRssKb() - peak < 64 * 1024); // holds the string found, not lMax bytes
    }

    void mapsLinesOfAnyLength()
    {
        // A mapped file's name longer than a line buffer of 512, whose tail reads like a mapping.
        const QByteArray maps = "1000-2000 r--p 0 00:00 0 /" + QByteArray(485, 'x')
            + "3000-4000 rw-p\n4000-5000 rw-p 0 00:00 0\n";
        std::FILE *f
            = ::fmemopen(const_cast<char *>(maps.constData()), std::size_t(maps.size()), "r");
        QVERIFY(f && !compat::MapsGrant(f, 0x3000, 0x3001, 'r'));
        std::fclose(f);
    }

    // Every pixel of a 200 x 150 window.
    void bands_data()
    {
        QTest::addColumn<Band>("row");
        const QColor grey(128, 128, 128), green(0, 200, 0);
        QTest::newRow("defaults: black on the left") << Band {0, 0, QColor(Qt::black), 0, 150};
        QTest::newRow("solid right") << Band {1, 2, green, 180, 150};
        QTest::newRow("fill style 3: no band") << Band {3, 1, green, -1, 150};
        QTest::newRow("shaded grey is plain") << Band {2, 1, grey, 0, 150};
        QTest::newRow("dark blue shaded to black") << Band {2, 1, QColor(0, 0, 128), 0, 150};
        QTest::newRow("zero-height window: nothing drawn") << Band {2, 1, QColor(0, 128, 0), -1, 0};
    }
    void bands()
    {
        QFETCH(Band, row);
        const auto &[fillStyle, align, back, bandFrom, height] = row;
        // A background colour of its own tells erased and untouched areas from black.
        const QColor windowBack(10, 20, 30);
        QWidget w;
        w.setPalette(QPalette(windowBack, windowBack));
        w.resize(200, height);
        clsSideBar bar(&w);
        if (fillStyle)
            bar.Create(height ? "" : "Caption", fillStyle, align, Qt::white, back, QString(), 0);
        else
            bar.Refresh();
        w.resize(200, 150);
        const QImage image = compat::AutoRedrawImage(&w);
        const auto pixel = [&image](int x, int y) { return QColor::fromRgba(image.pixel(x, y)); };
        const bool shaded = back == QColor(0, 0, 128);
        for (int y = 0; y < 150; ++y) {
            const QColor strip = pixel(qMax(bandFrom, 0), y);
            for (int x = 0; x < 200; ++x) {
                const QColor got = pixel(x, y);
                if (bandFrom >= 0 && x >= bandFrom && x < bandFrom + 20)
                    QCOMPARE(got, shaded ? strip : back); // a strip spans the band
                else if (height && (x < 20 || x > 180)) // erased to the window's colour
                    QCOMPARE(got, windowBack);
                else
                    QCOMPARE(got.alpha(), 0); // never drawn
            }
            // Shaded from full blue at the top down to black, with no red or green.
            if (shaded && y)
                QVERIFY(strip.blue() <= pixel(0, y - 1).blue());
            QVERIFY(!shaded || (strip.rgb() & 0xffff00) == 0);
        }
        if (shaded)
            QVERIFY(pixel(0, 0).blue() == 255 && pixel(0, 149).blue() <= 3);
    }
};

QTEST_MAIN(TestPlatform)
#include "tst_compat.moc"
