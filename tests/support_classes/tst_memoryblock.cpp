#include "platform/Memory.h"
#include "support/clsMemoryManagement.h"

#include <QFile>
#include <QtTest>

#include <cstring>
#include <numeric>
#include <sys/mman.h>
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

// The access rights of the mapping that starts at `at`, as /proc/self/maps shows them.
QByteArray rights(std::intptr_t at)
{
    QFile f(QStringLiteral("/proc/self/maps"));
    const QByteArray maps = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    const qsizetype line = maps.indexOf('\n' + QByteArray::number(qulonglong(at), 16) + '-');
    return line < 0 ? QByteArray() : maps.mid(maps.indexOf(' ', line) + 1, 4);
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
}

void TestMemoryBlock::copies()
{
    QFETCH(bool, out);
    QFETCH(QString, other);
    QFETCH(int, length);
    QFETCH(bool, emptyObject);
    QByteArray pattern(100, '\0'), buffer(101, 'P');
    std::iota(pattern.begin(), pattern.end(), char(1));
    clsMemoryManagement block;
    block.Allocate(100);
    const std::intptr_t first = block.Handle();
    // Page-aligned, readable and writable, never executable.
    QVERIFY(first % ::sysconf(_SC_PAGESIZE) == 0 && rights(first) == "rw-p");
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
    ::mprotect(pages.base, pages.size, other == "readonly" ? PROT_READ : PROT_READ | PROT_WRITE);
    const std::intptr_t target = other == "null" ? 0
        : other == "unmapped"                    ? addr(pages.end())
        : other == "readonly"                    ? addr(pages.base)
                                                 : addr(buffer.data());
    out ? block.ReadFrom(target, length) : block.WriteTo(target, length);
    const bool copied = out && other == "buffer" && !emptyObject && length > 0;
    QCOMPARE(buffer, copied ? pattern.left(84) + QByteArray(17, 'P') : QByteArray(101, 'P'));
    block.ReadFrom(addr(buffer.data()), 100); // the block still holds what it held
    QCOMPARE(buffer.left(100), emptyObject ? QByteArray(100, 'P') : pattern);
}

// The bytes end where a readable page does; a null array stands for address 0 and an empty
// one for the unreadable page's first byte.
void TestMemoryBlock::extractString_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("lMax");
    QTest::addColumn<QString>("expected");
    QTest::newRow("abc") << QByteArray("abc", 4) << 10 << "abc";
    QTest::newRow("address 0") << QByteArray() << 10 << "";
    QTest::newRow("unmapped address") << QByteArray("") << 10 << "";
    QTest::newRow("longer than lMax: cut to lMax - 1")
        << QByteArray("abcdefghij", 11) << 5 << "abcd";
    QTest::newRow("unreadable before its end") << QByteArray("abcdef") << 100 << "";
    QTest::newRow("lMax ends before unreadable memory") << QByteArray("abcdef") << 4 << "abc";
    QTest::newRow("lMax 0") << QByteArray("abc", 4) << 0 << "";
    QTest::newRow("UTF-8") << QByteArray("caf\xc3\xa9", 6) << 6 << QString::fromUtf8("café");
}

void TestMemoryBlock::extractString()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, lMax);
    QFETCH(QString, expected);
    Pages pages;
    std::memcpy(pages.end() - bytes.size(), bytes.constData(), std::size_t(bytes.size()));
    const std::intptr_t at = bytes.isNull() ? 0 : addr(pages.end() - bytes.size());
    QCOMPARE(clsMemoryManagement().ExtractString(at, lMax), expected);
}

QTEST_APPLESS_MAIN(TestMemoryBlock)
#include "tst_memoryblock.moc"
