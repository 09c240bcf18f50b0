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

} // namespace

class TestMemoryBlock : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void blockLifecycle();
    void copies_data();
    void copies();
    void extractString_data();
    void extractString();
};

void TestMemoryBlock::blockLifecycle()
{
    std::intptr_t first = 0;
    {
        clsMemoryManagement block;
        QCOMPARE(block.Handle(), std::intptr_t(0));
        block.Allocate(100);
        first = block.Handle();
        QVERIFY(first != 0);
        QCOMPARE(first % ::sysconf(_SC_PAGESIZE), 0);
        QByteArray out(100, 'x');
        block.ReadFrom(addr(out.data()), 100);
        QCOMPARE(out, QByteArray(100, '\0'));
        // Readable and writable, never executable.
        QFile f(QStringLiteral("/proc/self/maps"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray start = QByteArray::number(qulonglong(first), 16) + '-';
        const QByteArray all = f.readAll();
        const qsizetype at = all.indexOf('\n' + start);
        QVERIFY(at >= 0);
        QCOMPARE(all.mid(all.indexOf(' ', at) + 1, 4), QByteArray("rw-p"));

        // A new block: the old one is given back first, and the new one is zeroed.
        block.WriteTo(addr("left over"), 10);
        block.Allocate(100);
        QVERIFY(block.Handle() == first || platform::IsBadReadPtr(first, 1));
        block.ReadFrom(addr(out.data()), 10);
        QCOMPARE(out.left(10), QByteArray(10, '\0'));

        for (int refused : {0, -4096}) {
            block.Allocate(64);
            const std::intptr_t held = block.Handle();
            block.Allocate(refused);
            QCOMPARE(block.Handle(), std::intptr_t(0));
            QVERIFY(platform::IsBadReadPtr(held, 1));
        }
        block.Allocate(8192);
        first = block.Handle();
    }
    // The end of the object gives its block back.
    QVERIFY(platform::IsBadReadPtr(first, 1));
}

// A 100-byte block holding 1..100 copied out to, or in from, another range.
void TestMemoryBlock::copies_data()
{
    QTest::addColumn<bool>("out"); // ReadFrom, else WriteTo
    QTest::addColumn<QString>("other"); // buffer, null, unmapped, readonly
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("emptyObject");
    QTest::addColumn<bool>("copied");
    QTest::newRow("84 bytes out") << true << "buffer" << 84 << false << true;
    QTest::newRow("84 bytes in") << false << "buffer" << 84 << false << true;
    QTest::newRow("out of an empty object") << true << "buffer" << 84 << true << false;
    QTest::newRow("into an empty object") << false << "buffer" << 84 << true << false;
    QTest::newRow("out to address 0") << true << "null" << 84 << false << false;
    QTest::newRow("out to an unmapped page") << true << "unmapped" << 16 << false << false;
    QTest::newRow("out to a read-only page") << true << "readonly" << 16 << false << false;
    QTest::newRow("in from an unmapped page") << false << "unmapped" << 16 << false << false;
    QTest::newRow("negative length") << true << "buffer" << -1 << false << false;
}

void TestMemoryBlock::copies()
{
    QFETCH(bool, out);
    QFETCH(QString, other);
    QFETCH(int, length);
    QFETCH(bool, emptyObject);
    QFETCH(bool, copied);
    clsMemoryManagement block;
    QByteArray pattern(100, '\0');
    for (int i = 0; i < 100; ++i)
        pattern[i] = char(i + 1);
    block.Allocate(100);
    block.WriteTo(addr(pattern.constData()), 100);
    if (emptyObject)
        block.ReleaseMemory();

    QByteArray buffer(101, char(0x50));
    Pages pages;
    std::intptr_t target = addr(buffer.data());
    if (other == QLatin1String("null"))
        target = 0;
    else if (other == QLatin1String("unmapped"))
        target = addr(pages.end());
    else if (other == QLatin1String("readonly")
             && ::mprotect(pages.base, pages.size, PROT_READ) == 0)
        target = addr(pages.base);

    out ? block.ReadFrom(target, length) : block.WriteTo(target, length);
    if (other != QLatin1String("buffer"))
        return; // the point of these rows is getting here without a fault
    if (!out) {
        if (emptyObject)
            return; // nothing to read back, and nothing faulted
        block.ReadFrom(addr(buffer.data()), 100);
        QCOMPARE(buffer.left(length),
                 copied ? QByteArray(length, char(0x50)) : pattern.left(length));
        return;
    }
    QCOMPARE(buffer.left(84), copied ? pattern.left(84) : QByteArray(84, char(0x50)));
    QCOMPARE(buffer.mid(84), QByteArray(17, char(0x50))); // not a byte beyond the length
}

void TestMemoryBlock::extractString_data()
{
    QTest::addColumn<QByteArray>("bytes"); // placed at the very end of a readable page
    QTest::addColumn<QString>("where"); // "page end", "null", "unmapped"
    QTest::addColumn<int>("lMax");
    QTest::addColumn<QString>("expected");
    QTest::newRow("abc") << QByteArray("abc", 4) << "page end" << 10 << "abc";
    QTest::newRow("address 0") << QByteArray() << "null" << 10 << "";
    QTest::newRow("unmapped address") << QByteArray() << "unmapped" << 10 << "";
    QTest::newRow("longer than lMax: cut to lMax - 1")
        << QByteArray("abcdefghij", 11) << "page end" << 5 << "abcd";
    QTest::newRow("unreadable before its end") << QByteArray("abcdef") << "page end" << 100 << "";
    QTest::newRow("lMax ends before unreadable memory")
        << QByteArray("abcdef") << "page end" << 4 << "abc";
    QTest::newRow("lMax 0") << QByteArray("abc", 4) << "page end" << 0 << "";
    QTest::newRow("UTF-8") << QByteArray("caf\xc3\xa9", 6) << "page end" << 6
                           << QString::fromUtf8("café");
}

void TestMemoryBlock::extractString()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, where);
    QFETCH(int, lMax);
    QFETCH(QString, expected);
    Pages pages;
    std::intptr_t at = where == QLatin1String("unmapped") ? addr(pages.end()) : 0;
    if (where == QLatin1String("page end")) {
        std::memcpy(pages.end() - bytes.size(), bytes.constData(), std::size_t(bytes.size()));
        at = addr(pages.end() - bytes.size());
    }
    QCOMPARE(clsMemoryManagement().ExtractString(at, lMax), expected);
}

QTEST_APPLESS_MAIN(TestMemoryBlock)
#include "tst_memoryblock.moc"
