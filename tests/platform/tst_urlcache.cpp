#include "CacheFiles.h"
#include "TestEnv.h"
#include "platform/UrlCache.h"

#include <QtTest>

#include <sys/stat.h>

using namespace platform;
using namespace cachefiles;

namespace {
const QByteArray kBadKey = "1/0/http://127.0.0.1/bad.html";
enum Kind { File, Pipe, Link };
} // namespace

class TestUrlCache : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void walkListsWholeEntriesOnly_data();
    void walkListsWholeEntriesOnly();
    void sizingCallsThenFetches();
    void deleteRemovesTheEntrysFilesOnly();
};

// Each row adds one file beside two good entries, named as the engine names kBadKey's
// entry unless "name" says otherwise.
void TestUrlCache::walkListsWholeEntriesOnly_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("listed"); // a third URL the walk must list, if any
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("kind");
    const auto row = [](const char *tag, const QByteArray &bytes, const QString &listed = {},
                        const QString &name = {},
                        int kind = File) { QTest::newRow(tag) << bytes << listed << name << kind; };
    const QByteArray whole = entryBytes(kBadKey);
    const QByteArray longKey = "1/0/http://127.0.0.1/" + QByteArray(9000, 'q');
    row("split key", entryBytes("1/0/_dk_http://x.test http://x.test http://c.test/p"),
        "http://c.test/p");
    row("key longer than one read", entryBytes(longKey), QString::fromLatin1(longKey.mid(4)));
    row("truncated key", whole.left(24 + kBadKey.size() - 3));
    row("claims a huge key", entryBytes(kBadKey, kMagic, 0x7fffffff));
    row("oversized key", entryBytes("1/0/http://a/" + QByteArray(2 * 1024 * 1024, 'x')));
    row("foreign magic", entryBytes(kBadKey, 0x1234));
    row("zero byte in key", entryBytes(kBadKey + QByteArray("\0x", 2)));
    row("upper-case name", whole, {}, entryName(kBadKey).toUpper());
    row("stream file only", whole, {},
        entryName(kBadKey).replace(QStringLiteral("_0"), QStringLiteral("_1")));
    row("pipe", {}, {}, {}, Pipe);
    row("link to an entry", whole, {}, {}, Link);
}

void TestUrlCache::walkListsWholeEntriesOnly()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, listed);
    QFETCH(QString, name);
    QFETCH(int, kind);
    TestEnv env;
    QStringList expected {QStringLiteral("http://127.0.0.1/a.html"),
                          QStringLiteral("http://127.0.0.1/b.html")};
    for (const QString &url : std::as_const(expected))
        writeEntry(UrlCacheFolder(), "1/0/" + url.toLatin1());
    const QString path = UrlCacheFolder() + '/' + (name.isEmpty() ? entryName(kBadKey) : name);
    const QString elsewhere = env.path() + QStringLiteral("/elsewhere");
    if (kind == Pipe)
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else
        QVERIFY(writeFile(kind == Link ? elsewhere : path, bytes));
    if (kind == Link)
        QVERIFY(QFile::link(elsewhere, path));
    if (!listed.isEmpty())
        expected.append(listed); // both sort after the good entries
    QStringList urls = walk();
    urls.sort();
    QCOMPARE(urls, expected);
}

void TestUrlCache::sizingCallsThenFetches()
{
    TestEnv env;
    std::int32_t size = 0;
    QCOMPARE(FindFirstUrlCacheEntryA(nullptr, nullptr, &size), HANDLE(nullptr));
    QCOMPARE(size, 0); // empty cache: the size stays 0
    for (const char *key : {"1/0/http://127.0.0.1/one", "1/0/http://127.0.0.1/two"})
        writeEntry(UrlCacheFolder(), key);
    QCOMPARE(FindFirstUrlCacheEntryA(nullptr, nullptr, &size), HANDLE(nullptr));
    const std::int32_t need = size;
    QByteArray buffer(need, '\0');
    auto *info = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA *>(buffer.data());
    size = need - 1;
    QCOMPARE(FindFirstUrlCacheEntryA(nullptr, info, &size), HANDLE(nullptr));
    QCOMPARE(size, need);
    HANDLE h = FindFirstUrlCacheEntryA(nullptr, info, &size);
    QVERIFY(h);
    // The URL's address lies in the caller's buffer, after the fixed part.
    const char *url = info->lpszSourceUrlName;
    QVERIFY(url >= buffer.constData() + sizeof *info
            && url + qstrlen(url) < buffer.constData() + need);
    QSet<QByteArray> urls {url};
    // Sizing does not move the walk on; the fetch after it does.
    std::int32_t next = 0;
    QVERIFY(!FindNextUrlCacheEntryA(h, nullptr, &next));
    QByteArray second(next, '\0');
    info = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA *>(second.data());
    QVERIFY(FindNextUrlCacheEntryA(h, info, &next));
    urls.insert(info->lpszSourceUrlName);
    QCOMPARE(urls, QSet<QByteArray>({"http://127.0.0.1/one", "http://127.0.0.1/two"}));
    next = 0;
    QVERIFY(!FindNextUrlCacheEntryA(h, nullptr, &next));
    QCOMPARE(next, 0);
    QVERIFY(FindCloseUrlCache(h));
}

void TestUrlCache::deleteRemovesTheEntrysFilesOnly()
{
    TestEnv env;
    const QByteArray local = "http://127.0.0.1/", split = "1/0/_dk_http://s.test http://s.test ";
    QStringList files;
    for (const QByteArray &key :
         {"1/0/" + local + "keep", "1/0/" + local + "gone", split + local + "split"}) {
        const QString base = writeEntry(UrlCacheFolder(), key).chopped(2);
        for (const char *stream : {"_1", "_s"})
            writeFile(base + QLatin1String(stream), "stream");
        files << base + "_0" << base + "_1" << base + "_s";
    }
    const QString replaced = writeEntry(UrlCacheFolder(), split + local + "old");
    const QStringList first = walk();
    QCOMPARE(first.size(), 4);
    QCOMPARE(walk(), first); // the same order from one walk to the next
    // Since the walk the file holds another address: it is not the old URL's to delete.
    writeFile(replaced, entryBytes("1/0/" + local + "new"));

    for (const char *name : {"gone", "split"})
        QVERIFY(DeleteUrlCacheEntryA((local + name).constData()));
    for (const char *name : {"gone", "old", "never-cached"})
        QVERIFY(!DeleteUrlCacheEntryA((local + name).constData()));
    QVERIFY(!DeleteUrlCacheEntryA(""));
    for (int i = 0; i < files.size(); ++i)
        QCOMPARE(QFile::exists(files[i]), i < 3);
    QStringList rest = walk();
    rest.sort();
    QCOMPARE(rest, QStringList({"http://127.0.0.1/keep", "http://127.0.0.1/new"}));
}

QTEST_MAIN(TestUrlCache)
#include "tst_urlcache.moc"
