#include "CacheFiles.h"
#include "TestEnv.h"
#include "history/basWinInet.h"
#include "platform/UrlCache.h"

#include <QListWidget>
#include <QtTest>

#include <sys/stat.h>

using namespace platform;
using cachefiles::entryBytes;
using cachefiles::entryName;
using cachefiles::writeFile;

namespace {

QStringList walk()
{
    QListWidget list;
    basWinInet::ListUrlCache(&list);
    QStringList urls;
    for (int i = 0; i < list.count(); ++i)
        urls.append(list.item(i)->text());
    return urls;
}

const QByteArray kBadKey = "1/0/http://127.0.0.1/bad.html";

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

// Each row adds one file beside two good entries; "file" is its name ("" for the name
// the engine gives kBadKey) and "kind" says what stands there.
void TestUrlCache::walkListsWholeEntriesOnly_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("kind"); // "bytes", "pipe", "link", "directory"
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("listed"); // a third URL the walk must list, if any
    const QByteArray whole = entryBytes(kBadKey);
    const QByteArray longKey = "1/0/http://127.0.0.1/" + QByteArray(9000, 'q');
    QTest::newRow("split key") << ""
                               << "bytes"
                               << entryBytes("1/0/_dk_http://x.test http://x.test http://c.test/p")
                               << "http://c.test/p";
    QTest::newRow("key longer than one read")
        << ""
        << "bytes" << entryBytes(longKey) << QString::fromLatin1(longKey.mid(4));
    QTest::newRow("truncated key") << ""
                                   << "bytes" << whole.left(24 + kBadKey.size() - 3) << "";
    QTest::newRow("claims a huge key")
        << ""
        << "bytes" << entryBytes(kBadKey, "body", cachefiles::kMagic, 0x7fffffff) << "";
    QTest::newRow("oversized key")
        << ""
        << "bytes" << entryBytes("1/0/http://a/" + QByteArray(2 * 1024 * 1024, 'x')) << "";
    QTest::newRow("empty key") << ""
                               << "bytes" << entryBytes(QByteArray()) << "";
    QTest::newRow("shorter than a header") << ""
                                           << "bytes" << whole.left(10) << "";
    QTest::newRow("empty file") << ""
                                << "bytes" << QByteArray() << "";
    QTest::newRow("foreign magic") << ""
                                   << "bytes" << entryBytes(kBadKey, "x", 0x1234) << "";
    QTest::newRow("zero byte in key")
        << ""
        << "bytes" << entryBytes(kBadKey + QByteArray("\0x", 2)) << "";
    QTest::newRow("upper-case name") << entryName(kBadKey).toUpper() << "bytes" << whole << "";
    QTest::newRow("stream file only")
        << entryName(kBadKey).replace(QStringLiteral("_0"), QStringLiteral("_1")) << "bytes"
        << whole << "";
    QTest::newRow("index") << "index"
                           << "bytes" << whole << "";
    QTest::newRow("directory") << ""
                               << "directory" << QByteArray() << "";
    QTest::newRow("pipe") << ""
                          << "pipe" << QByteArray() << "";
    QTest::newRow("link to an entry") << ""
                                      << "link" << whole << "";
}

void TestUrlCache::walkListsWholeEntriesOnly()
{
    QFETCH(QString, file);
    QFETCH(QString, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, listed);
    TestEnv env;
    const QString folder = UrlCacheFolder();
    cachefiles::writeEntry(folder, "1/0/http://127.0.0.1/a.html");
    cachefiles::writeEntry(folder, "1/0/http://127.0.0.1/b.html");
    const QString path = folder + QLatin1Char('/') + (file.isEmpty() ? entryName(kBadKey) : file);
    if (kind == QLatin1String("bytes")) {
        QVERIFY(writeFile(path, bytes));
    } else if (kind == QLatin1String("directory")) {
        QVERIFY(QDir().mkpath(path));
    } else if (kind == QLatin1String("pipe")) {
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    } else {
        QVERIFY(writeFile(env.path() + QStringLiteral("/elsewhere"), bytes));
        QVERIFY(QFile::link(env.path() + QStringLiteral("/elsewhere"), path));
    }
    QStringList expected {QStringLiteral("http://127.0.0.1/a.html"),
                          QStringLiteral("http://127.0.0.1/b.html")};
    if (!listed.isEmpty())
        expected.append(listed);
    QStringList urls = walk();
    urls.sort();
    expected.sort();
    QCOMPARE(urls, expected);
}

void TestUrlCache::sizingCallsThenFetches()
{
    TestEnv env;
    std::int32_t size = 0;
    QCOMPARE(FindFirstUrlCacheEntryA(nullptr, nullptr, &size), HANDLE(nullptr));
    QCOMPARE(size, 0); // empty cache: the size stays 0
    const QByteArray one = "http://127.0.0.1/one", two = "http://127.0.0.1/two";
    cachefiles::writeEntry(UrlCacheFolder(), "1/0/" + one);
    cachefiles::writeEntry(UrlCacheFolder(), "1/0/" + two);

    QCOMPARE(FindFirstUrlCacheEntryA(nullptr, nullptr, &size), HANDLE(nullptr));
    const std::int32_t first = size;
    QByteArray buffer(first, '\0');
    auto *info = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA *>(buffer.data());
    size = first - 1;
    QCOMPARE(FindFirstUrlCacheEntryA(nullptr, info, &size), HANDLE(nullptr));
    QCOMPARE(size, first);
    HANDLE h = FindFirstUrlCacheEntryA(nullptr, info, &size);
    QVERIFY(h);
    // The URL's address lies in the caller's buffer, after the fixed part.
    QVERIFY(info->lpszSourceUrlName >= buffer.constData() + sizeof *info);
    QVERIFY(info->lpszSourceUrlName + qstrlen(info->lpszSourceUrlName)
            < buffer.constData() + first);
    const QByteArray firstUrl(info->lpszSourceUrlName);

    // Sizing twice does not move the walk on; the fetch after it does.
    std::int32_t next = 0, again = 0;
    QVERIFY(!FindNextUrlCacheEntryA(h, nullptr, &next));
    QVERIFY(!FindNextUrlCacheEntryA(h, nullptr, &again));
    QCOMPARE(again, next);
    QByteArray second(next, '\0');
    auto *info2 = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA *>(second.data());
    QVERIFY(FindNextUrlCacheEntryA(h, info2, &next));
    QCOMPARE(QSet<QByteArray>({firstUrl, info2->lpszSourceUrlName}), QSet<QByteArray>({one, two}));
    next = 0;
    QVERIFY(!FindNextUrlCacheEntryA(h, nullptr, &next));
    QCOMPARE(next, 0);
    QVERIFY(FindCloseUrlCache(h));
}

void TestUrlCache::deleteRemovesTheEntrysFilesOnly()
{
    TestEnv env;
    const QString folder = UrlCacheFolder();
    QStringList files;
    for (const QByteArray key : {"1/0/http://127.0.0.1/keep", "1/0/http://127.0.0.1/gone",
                                 "1/0/_dk_http://s.test http://s.test http://127.0.0.1/split"}) {
        const QString path = cachefiles::writeEntry(folder, key);
        const QString base = path.chopped(2);
        writeFile(base + QStringLiteral("_1"), "stream");
        writeFile(base + QStringLiteral("_s"), "sparse");
        files << path << base + QStringLiteral("_1") << base + QStringLiteral("_s");
    }
    const QString replaced = cachefiles::writeEntry(
        folder, "1/0/_dk_http://s.test http://s.test http://127.0.0.1/old");
    const QStringList first = walk();
    QCOMPARE(first.size(), 4);
    QCOMPARE(walk(), first); // the same order from one walk to the next
    // Since the walk the file holds another address: it is not the old URL's to delete.
    writeFile(replaced, entryBytes("1/0/http://127.0.0.1/new"));

    QVERIFY(DeleteUrlCacheEntryA("http://127.0.0.1/gone"));
    QVERIFY(DeleteUrlCacheEntryA("http://127.0.0.1/split"));
    QVERIFY(!DeleteUrlCacheEntryA("http://127.0.0.1/gone"));
    QVERIFY(!DeleteUrlCacheEntryA("http://127.0.0.1/old"));
    QVERIFY(!DeleteUrlCacheEntryA("http://127.0.0.1/never-cached"));
    QVERIFY(!DeleteUrlCacheEntryA(""));
    for (int i = 0; i < files.size(); ++i)
        QCOMPARE(QFile::exists(files[i]), i < 3);
    QVERIFY(QFile::exists(replaced));
    QStringList rest = first;
    rest.removeOne(QStringLiteral("http://127.0.0.1/gone"));
    rest.removeOne(QStringLiteral("http://127.0.0.1/split"));
    rest.replace(rest.indexOf(QStringLiteral("http://127.0.0.1/old")),
                 QStringLiteral("http://127.0.0.1/new"));
    QCOMPARE(walk(), rest);
}

QTEST_MAIN(TestUrlCache)
#include "tst_urlcache.moc"
