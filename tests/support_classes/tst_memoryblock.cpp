#include "platform/Memory.h"
#include "support/clsMemoryManagement.h"

#include <QFile>
#include <QtTest>

#include <cstring>
#include <numeric>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

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
    QFile f(QStringLiteral("/proc/self/maps"));
    const QByteArray maps = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    for (const QByteArray &line : maps.split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        const QList<QByteArray> range = parts.value(0).split('-');
        if (range.size() == 2 && range[0].toULongLong(nullptr, 16) <= quint64(at)
            && quint64(at) < range[1].toULongLong(nullptr, 16))
            return parts.value(1);
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
    QFile f(QStringLiteral("/proc/self/status"));
    const QByteArray status = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    const qsizetype at = status.indexOf("VmLck:");
    return at < 0 ? -1 : status.mid(at + 6).trimmed().split(' ').value(0).toLongLong();
}

long peakRssKb()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

class TestMemoryBlock : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void copies_data();
    void copies();
    void extractString_data();
    void extractString();
    void mapsLinesOfAnyLength();
};

// A 100-byte block holding 1..100 copied out to, or in from, another range; nothing may
// fault, and only a copy between the block and a plain buffer moves bytes.
void TestMemoryBlock::copies_data()
{
    QTest::addColumn<bool>("out"); // ReadFrom, else WriteTo
    QTest::addColumn<QString>("other"); // buffer, null, unmapped, readonly
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("emptyObject");
    QTest::newRow("84 bytes out") << true << "buffer" << 84 << false;
    QTest::newRow("out of an empty object") << true << "buffer" << 84 << true;
    QTest::newRow("into an empty object") << false << "buffer" << 84 << true;
    QTest::newRow("out to address 0") << true << "null" << 84 << false;
    QTest::newRow("out to an unmapped page") << true << "unmapped" << 16 << false;
    QTest::newRow("out to a read-only page") << true << "readonly" << 16 << false;
    QTest::newRow("in from an unmapped page") << false << "unmapped" << 16 << false;
    QTest::newRow("negative length") << true << "buffer" << -1 << false;
    QTest::newRow("out, longer than the block") << true << "buffer" << 200 << false;
    QTest::newRow("in, longer than the block") << false << "buffer" << 200 << false;
}

void TestMemoryBlock::copies()
{
    QFETCH(bool, out);
    QFETCH(QString, other);
    QFETCH(int, length);
    QFETCH(bool, emptyObject);
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
    const bool released = platform::IsBadReadPtr(first, 1);
    QVERIFY(emptyObject ? !block.Handle() && released : block.Handle() == first || released);
    block.ReadFrom(addr(buffer.data()), 10);
    QCOMPARE(buffer.left(10), QByteArray(10, emptyObject ? 'P' : '\0'));
    buffer.fill('P');
    block.WriteTo(addr(pattern.constData()), 100);
    Pages pages;
    // The checks only ask: the untouched page stays out of memory.
    unsigned char resident = 1;
    QVERIFY(!platform::IsBadReadPtr(addr(pages.base), 8)
            && !platform::IsBadWritePtr(addr(pages.base), 8));
    QVERIFY(::mincore(pages.base, pages.size, &resident) == 0 && !(resident & 1));
    ::mprotect(pages.base, pages.size, other == "readonly" ? PROT_READ : PROT_READ | PROT_WRITE);
    const std::intptr_t target = other == "null" ? 0
        : other == "unmapped"                    ? addr(pages.end())
        : other == "readonly"                    ? addr(pages.base)
                                                 : addr(buffer.data());
    out ? block.ReadFrom(target, length) : block.WriteTo(target, length);
    const bool copied = out && other == "buffer" && !emptyObject && length == 84;
    QCOMPARE(buffer, copied ? pattern.left(84) + QByteArray(216, 'P') : QByteArray(300, 'P'));
    block.ReadFrom(addr(buffer.data()), 100); // the block still holds what it held
    QCOMPARE(buffer.left(100), emptyObject ? QByteArray(100, 'P') : pattern);
}

// The bytes end where a readable page does; a null array stands for address 0 and an empty
// one for the unreadable page's first byte.
// The bytes end where a readable page does, or fill a block of their size whose page goes
// on with more text; a null array stands for address 0 and an empty one for the
// unreadable page's first byte.
void TestMemoryBlock::extractString_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("lMax");
    QTest::addColumn<bool>("inBlock");
    QTest::addColumn<QString>("expected");
    // clang-format off
    QTest::newRow("abc") << QByteArray("abc", 4) << 10 << false << "abc";
    QTest::newRow("address 0") << QByteArray() << 10 << false << "";
    QTest::newRow("unmapped address") << QByteArray("") << 10 << false << "";
    QTest::newRow("longer than lMax: cut to lMax - 1") << QByteArray("abcdefghij", 11) << 5 << false << "abcd";
    QTest::newRow("unreadable before its end") << QByteArray("abcdef") << 100 << false << "";
    QTest::newRow("lMax ends before unreadable memory") << QByteArray("abcdef") << 4 << false << "abc";
    QTest::newRow("lMax 0") << QByteArray("abc", 4) << 0 << false << "";
    QTest::newRow("UTF-8") << QByteArray("caf\xc3\xa9", 6) << 6 << false << QString::fromUtf8("café");
    QTest::newRow("lMax far beyond the string") << QByteArray("abc", 4) << INT_MAX << false << "abc";
    QTest::newRow("block ends first: cut to its size - 1") << QByteArray("abcdef") << 100 << true << "abcde";
    QTest::newRow("in a block") << QByteArray("abc", 4) << 100 << true << "abc";
    // clang-format on
}

void TestMemoryBlock::extractString()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, lMax);
    QFETCH(bool, inBlock);
    QFETCH(QString, expected);
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

void TestMemoryBlock::mapsLinesOfAnyLength()
{
    // A mapped file's name longer than a line buffer of 512, whose tail reads like a mapping.
    const QByteArray maps = "1000-2000 r--p 0 00:00 0 /" + QByteArray(485, 'x')
        + "3000-4000 rw-p\n4000-5000 rw-p 0 00:00 0\n";
    std::FILE *f = ::fmemopen(const_cast<char *>(maps.constData()), std::size_t(maps.size()), "r");
    QVERIFY(f && !platform::MapsGrant(f, 0x3000, 0x3001, 'r'));
    std::fclose(f);
}

QTEST_APPLESS_MAIN(TestMemoryBlock)
#include "tst_memoryblock.moc"
