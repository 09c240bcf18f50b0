#include "platform/Memory.h"
#include "support/clsMemoryManagement.h"

#include <QFile>
#include <QtTest>

#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace {

std::intptr_t addr(const void *p)
{
    return reinterpret_cast<std::intptr_t>(p);
}

// Two pages: the first readable and writable, the second not accessible at all, so a
// range can be made to run off the end of readable memory.
struct Pages
{
    Pages()
    {
        size = std::size_t(::sysconf(_SC_PAGESIZE));
        base = static_cast<char *>(
            ::mmap(nullptr, 2 * size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        ::mprotect(base + size, size, PROT_NONE);
    }
    ~Pages() { ::munmap(base, 2 * size); }
    char *lastBytes(std::size_t n) { return base + size - n; }
    char *base;
    std::size_t size;
};

// The permissions /proc/self/maps shows for the mapping holding address, e.g. "rw-p".
QByteArray permissionsAt(std::intptr_t address)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray &line : maps.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        const QList<QByteArray> range = fields.value(0).split('-');
        if (range.size() != 2)
            continue;
        const auto lo = std::intptr_t(range[0].toULongLong(nullptr, 16));
        const auto hi = std::intptr_t(range[1].toULongLong(nullptr, 16));
        if (address >= lo && address < hi)
            return fields.value(1);
    }
    return {};
}

} // namespace

class TestMemoryBlock : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void freshBlockIsZeroedAlignedAndNotExecutable();
    void reallocateGivesBackTheOldBlockFirst();
    void refusedAllocationLeavesTheObjectEmpty_data();
    void refusedAllocationLeavesTheObjectEmpty();
    void copies_data();
    void copies();
    void extractString_data();
    void extractString();
    void endOfObjectReleasesTheBlock();
};

void TestMemoryBlock::freshBlockIsZeroedAlignedAndNotExecutable()
{
    clsMemoryManagement block;
    QCOMPARE(block.Handle(), std::intptr_t(0));
    block.Allocate(100);
    QVERIFY(block.Handle() != 0);
    QCOMPARE(block.Handle() % ::sysconf(_SC_PAGESIZE), 0);
    unsigned char out[100];
    std::memset(out, 0xAA, sizeof out);
    block.ReadFrom(addr(out), 100);
    for (unsigned char c : out)
        QCOMPARE(int(c), 0);
    QCOMPARE(permissionsAt(block.Handle()).left(3), QByteArray("rw-"));
}

void TestMemoryBlock::reallocateGivesBackTheOldBlockFirst()
{
    clsMemoryManagement block;
    block.Allocate(64);
    const std::intptr_t first = block.Handle();
    const char text[] = "left over";
    block.WriteTo(addr(text), sizeof text);
    block.Allocate(64);
    // Either the system handed the same pages out again, which it can only do once they
    // were given back, or the old address is no longer mapped.
    QVERIFY(block.Handle() == first || platform::IsBadReadPtr(first, 1));
    char out[sizeof text];
    block.ReadFrom(addr(out), sizeof out);
    QCOMPARE(QByteArray(out, sizeof out), QByteArray(sizeof out, '\0'));
}

void TestMemoryBlock::refusedAllocationLeavesTheObjectEmpty_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("zero") << 0;
    QTest::newRow("negative") << -4096;
}

void TestMemoryBlock::refusedAllocationLeavesTheObjectEmpty()
{
    QFETCH(int, count);
    clsMemoryManagement block;
    block.Allocate(32);
    const std::intptr_t held = block.Handle();
    block.Allocate(count);
    QCOMPARE(block.Handle(), std::intptr_t(0));
    QVERIFY(platform::IsBadReadPtr(held, 1));
    // Copies on the empty object do nothing and do not fault.
    char out[8] = "1234567";
    block.ReadFrom(addr(out), 8);
    block.WriteTo(addr(out), 8);
    QCOMPARE(QByteArray(out), QByteArray("1234567"));
    block.ReleaseMemory();
    QCOMPARE(block.Handle(), std::intptr_t(0));
}

// Each row copies between a 100-byte block holding 0..99 and another range, in one
// direction, and says how many bytes must arrive.
void TestMemoryBlock::copies_data()
{
    QTest::addColumn<QString>("direction"); // "read" = ReadFrom, "write" = WriteTo
    QTest::addColumn<QString>("other"); // the other range: buffer, null, unmapped, readonly
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("copied");
    QTest::newRow("84 bytes out") << "read"
                                  << "buffer" << 84 << true;
    QTest::newRow("84 bytes in") << "write"
                                 << "buffer" << 84 << true;
    QTest::newRow("out to address 0") << "read"
                                      << "null" << 84 << false;
    QTest::newRow("out to an unmapped page") << "read"
                                             << "unmapped" << 16 << false;
    QTest::newRow("out to a read-only page") << "read"
                                             << "readonly" << 16 << false;
    QTest::newRow("in from an unmapped page") << "write"
                                              << "unmapped" << 16 << false;
    QTest::newRow("negative length") << "read"
                                     << "buffer" << -1 << false;
}

void TestMemoryBlock::copies()
{
    QFETCH(QString, direction);
    QFETCH(QString, other);
    QFETCH(int, length);
    QFETCH(bool, copied);

    clsMemoryManagement block;
    block.Allocate(100);
    unsigned char pattern[100];
    for (int i = 0; i < 100; ++i)
        pattern[i] = static_cast<unsigned char>(i + 1);
    block.WriteTo(addr(pattern), 100);

    std::vector<unsigned char> buffer(std::size_t(qMax(length, 100)) + 1, 0xEE);
    Pages pages;
    std::intptr_t target = addr(buffer.data());
    if (other == QLatin1String("null"))
        target = 0;
    else if (other == QLatin1String("unmapped"))
        target = addr(pages.base + pages.size);
    else if (other == QLatin1String("readonly")) {
        ::mprotect(pages.base, pages.size, PROT_READ);
        target = addr(pages.base);
    }

    if (direction == QLatin1String("read")) {
        block.ReadFrom(target, length);
        if (other != QLatin1String("buffer"))
            return; // reaching here without a fault is the point
        const int expect = copied ? length : 0;
        for (int i = 0; i < int(buffer.size()); ++i)
            QCOMPARE(int(buffer[std::size_t(i)]), i < expect ? i + 1 : 0xEE);
    } else {
        for (std::size_t i = 0; i < buffer.size(); ++i)
            buffer[i] = 0x50;
        block.WriteTo(target, length);
        unsigned char back[100];
        block.ReadFrom(addr(back), 100);
        for (int i = 0; i < 100; ++i)
            QCOMPARE(int(back[i]), copied && i < length ? 0x50 : i + 1);
    }
}

void TestMemoryBlock::extractString_data()
{
    QTest::addColumn<QByteArray>("bytes"); // placed at the end of a readable page
    QTest::addColumn<QString>("where"); // "page end", "null", "unmapped"
    QTest::addColumn<int>("lMax");
    QTest::addColumn<QString>("expected");
    QTest::newRow("abc") << QByteArray("abc", 4) << "page end" << 10 << "abc";
    QTest::newRow("address 0") << QByteArray() << "null" << 10 << "";
    QTest::newRow("unmapped address") << QByteArray() << "unmapped" << 10 << "";
    QTest::newRow("longer than lMax: cut to lMax - 1")
        << QByteArray("abcdefghij", 11) << "page end" << 5 << "abcd";
    QTest::newRow("no terminator before unreadable memory")
        << QByteArray("abcdef") << "page end" << 100 << "";
    QTest::newRow("no terminator, but lMax ends first")
        << QByteArray("abcdef") << "page end" << 4 << "abc";
    QTest::newRow("lMax 0") << QByteArray("abc", 4) << "page end" << 0 << "";
    QTest::newRow("UTF-8 text") << QByteArray("caf\xc3\xa9", 6) << "page end" << 6
                                << QString::fromUtf8("café");
}

void TestMemoryBlock::extractString()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, where);
    QFETCH(int, lMax);
    QFETCH(QString, expected);
    Pages pages;
    std::intptr_t at = 0;
    if (where == QLatin1String("page end")) {
        char *p = pages.lastBytes(std::size_t(bytes.size()));
        std::memcpy(p, bytes.constData(), std::size_t(bytes.size()));
        at = addr(p);
    } else if (where == QLatin1String("unmapped")) {
        at = addr(pages.base + pages.size);
    }
    clsMemoryManagement block;
    QCOMPARE(block.ExtractString(at, lMax), expected);
}

void TestMemoryBlock::endOfObjectReleasesTheBlock()
{
    std::intptr_t held = 0;
    {
        clsMemoryManagement block;
        block.Allocate(4096 * 3);
        held = block.Handle();
        QVERIFY(!platform::IsBadWritePtr(held, 4096 * 3));
    }
    QVERIFY(platform::IsBadReadPtr(held, 1));
}

QTEST_APPLESS_MAIN(TestMemoryBlock)
#include "tst_memoryblock.moc"
