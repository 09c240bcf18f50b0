#include "CacheFiles.h"
#include "TestEnv.h"
#include "history/basWinInet.h"
#include "platform/UrlCache.h"

#include <QListWidget>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

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

QString folder()
{
    return UrlCacheFolder();
}

// Lays out one file of a cache folder from "kind|key".
void makeFile(const QString &spec)
{
    const QString kind = spec.section(QLatin1Char('|'), 0, 0);
    const QByteArray key = spec.section(QLatin1Char('|'), 1).toUtf8();
    const QString path = folder() + QLatin1Char('/') + entryName(key);
    if (kind == QLatin1String("entry")) {
        writeFile(path, entryBytes(key));
    } else if (kind == QLatin1String("long-key")) {
        // A key past the first read, still a whole entry.
        const QByteArray longKey = "1/0/http://127.0.0.1/" + QByteArray(9000, 'q');
        writeFile(folder() + QLatin1Char('/') + entryName(longKey), entryBytes(longKey));
    } else if (kind == QLatin1String("truncated")) {
        writeFile(path, entryBytes(key, QByteArray()).left(24 + key.size() - 3));
    } else if (kind == QLatin1String("claims-more")) {
        writeFile(path, entryBytes(key, "body", cachefiles::kMagic, 0x7fffffff));
    } else if (kind == QLatin1String("oversized")) {
        const QByteArray huge = "1/0/http://127.0.0.1/" + QByteArray(2 * 1024 * 1024, 'x');
        writeFile(path, entryBytes(huge));
    } else if (kind == QLatin1String("empty-key")) {
        writeFile(path, entryBytes(QByteArray()));
    } else if (kind == QLatin1String("short")) {
        writeFile(path, QByteArray("\x30\x5c\x72\xa7\x1b\x6d", 6));
    } else if (kind == QLatin1String("empty-file")) {
        writeFile(path, QByteArray());
    } else if (kind == QLatin1String("foreign")) {
        writeFile(path, entryBytes(key, "body", 0x0123456789abcdefULL));
    } else if (kind == QLatin1String("zero-in-key")) {
        writeFile(path, entryBytes(key + QByteArray("\0tail", 5)));
    } else if (kind == QLatin1String("upper-case-name")) {
        writeFile(folder() + QLatin1Char('/') + entryName(key).toUpper().replace(16, 2, "_0"),
                  entryBytes(key));
    } else if (kind == QLatin1String("only-stream-1")) {
        writeFile(path.left(path.size() - 1) + QLatin1Char('1'), entryBytes(key));
    } else if (kind == QLatin1String("index")) {
        writeFile(folder() + QStringLiteral("/index"), entryBytes(key));
        writeFile(folder() + QStringLiteral("/index-dir/the-real-index"), entryBytes(key));
    } else if (kind == QLatin1String("directory")) {
        QDir().mkpath(path);
    } else if (kind == QLatin1String("pipe")) {
        QDir().mkpath(folder());
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    } else if (kind == QLatin1String("link")) {
        const QString target = folder() + QStringLiteral("/../elsewhere");
        writeFile(target, entryBytes(key));
        QVERIFY(QFile::link(target, path));
    } else {
        QFAIL(qPrintable(QStringLiteral("unknown kind ") + kind));
    }
}

} // namespace

class TestUrlCache : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void walkListsWholeEntriesOnly_data();
    void walkListsWholeEntriesOnly();
    void sizingCallsThenFetches();
    void deleteRemovesTheEntrysFiles();
    void deleteLeavesAFileThatNoLongerHoldsTheUrl();
    void orderIsTheSameFromOneWalkToTheNext();
    void urlOfKey_data();
    void urlOfKey();
    void tempPath();
};

void TestUrlCache::walkListsWholeEntriesOnly_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("listed");
    const QString a = QStringLiteral("1/0/http://127.0.0.1:8765/a.html");
    const QString b = QStringLiteral("1/0/http://127.0.0.1:8765/b.html");
    const QString bad = QStringLiteral("1/0/http://127.0.0.1:8765/bad.html");
    const QStringList both {QStringLiteral("http://127.0.0.1:8765/a.html"),
                            QStringLiteral("http://127.0.0.1:8765/b.html")};
    auto with = [&](const QString &kind) {
        return QStringList {"entry|" + a, kind + "|" + bad, "entry|" + b};
    };
    QTest::newRow("no folder") << QStringList() << QStringList();
    QTest::newRow("two entries") << QStringList {"entry|" + a, "entry|" + b} << both;
    QTest::newRow("one entry") << QStringList {"entry|" + a}
                               << QStringList {QStringLiteral("http://127.0.0.1:8765/a.html")};
    QTest::newRow("split key") << QStringList {QStringLiteral(
        "entry|1/0/_dk_http://x.test http://x.test http://cdn.test/p.js")}
                               << QStringList {QStringLiteral("http://cdn.test/p.js")};
    QTest::newRow("key longer than one read")
        << QStringList {QStringLiteral("long-key|")}
        << QStringList {QStringLiteral("http://127.0.0.1/") + QString(9000, QLatin1Char('q'))};
    for (const char *kind :
         {"truncated", "claims-more", "oversized", "empty-key", "short", "empty-file", "foreign",
          "zero-in-key", "upper-case-name", "only-stream-1", "index", "directory", "pipe", "link"})
        QTest::newRow(kind) << with(QLatin1String(kind)) << both;
}

void TestUrlCache::walkListsWholeEntriesOnly()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, listed);
    TestEnv env;
    for (const QString &spec : files)
        makeFile(spec);
    QStringList urls = walk();
    urls.sort();
    QCOMPARE(urls, listed);
}

void TestUrlCache::sizingCallsThenFetches()
{
    TestEnv env;
    std::int32_t size = 0;
    QCOMPARE(FindFirstUrlCacheEntryA(nullptr, nullptr, &size), HANDLE(nullptr));
    QCOMPARE(size, 0);

    const QByteArray url1 = "http://127.0.0.1/one";
    const QByteArray url2 = "http://127.0.0.1/two";
    cachefiles::writeEntry(folder(), "1/0/" + url1);
    cachefiles::writeEntry(folder(), "1/0/" + url2);

    QCOMPARE(FindFirstUrlCacheEntryA(nullptr, nullptr, &size), HANDLE(nullptr));
    QVERIFY(size > int(sizeof(INTERNET_CACHE_ENTRY_INFOA)) + url1.size());
    const std::int32_t first = size;
    QByteArray buffer(first, '\0');
    auto *info = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA *>(buffer.data());
    size = first - 1;
    QCOMPARE(FindFirstUrlCacheEntryA(nullptr, info, &size), HANDLE(nullptr));
    QCOMPARE(size, first);
    QCOMPARE(FindFirstUrlCacheEntryA("cookie:", info, &size), HANDLE(nullptr));

    HANDLE walk = FindFirstUrlCacheEntryA(nullptr, info, &size);
    QVERIFY(walk);
    QCOMPARE(info->dwStructSize, quint32(sizeof(INTERNET_CACHE_ENTRY_INFOA)));
    // The URL lies inside the caller's buffer, after the fixed part.
    QVERIFY(info->lpszSourceUrlName >= buffer.constData() + sizeof(INTERNET_CACHE_ENTRY_INFOA));
    QVERIFY(info->lpszSourceUrlName < buffer.constData() + first);
    const QByteArray firstUrl(info->lpszSourceUrlName);
    QVERIFY(firstUrl == url1 || firstUrl == url2);

    // Sizing twice does not move on; the fetch after it gets the other entry.
    std::int32_t next = 0;
    QVERIFY(!FindNextUrlCacheEntryA(walk, nullptr, &next));
    const std::int32_t sized = next;
    next = 0;
    QVERIFY(!FindNextUrlCacheEntryA(walk, nullptr, &next));
    QCOMPARE(next, sized);
    QByteArray second(next, '\0');
    auto *info2 = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA *>(second.data());
    QVERIFY(FindNextUrlCacheEntryA(walk, info2, &next));
    QCOMPARE(QByteArray(info2->lpszSourceUrlName), firstUrl == url1 ? url2 : url1);

    next = 0;
    QVERIFY(!FindNextUrlCacheEntryA(walk, nullptr, &next));
    QCOMPARE(next, 0);
    QVERIFY(FindCloseUrlCache(walk));
    QVERIFY(!FindNextUrlCacheEntryA(walk, nullptr, &next));
    QVERIFY(!FindCloseUrlCache(walk));
}

void TestUrlCache::deleteRemovesTheEntrysFiles()
{
    TestEnv env;
    const QByteArray keep = "1/0/http://127.0.0.1/keep";
    const QByteArray gone = "1/0/http://127.0.0.1/gone";
    const QByteArray split = "1/0/_dk_http://s.test http://s.test http://127.0.0.1/split";
    QStringList files;
    for (const QByteArray &key : {keep, gone, split}) {
        const QString path = cachefiles::writeEntry(folder(), key);
        const QString base = path.left(path.size() - 2);
        writeFile(base + QStringLiteral("_1"), "stream");
        writeFile(base + QStringLiteral("_s"), "sparse");
        files << path << base + QStringLiteral("_1") << base + QStringLiteral("_s");
    }
    QCOMPARE(walk().size(), 3);

    QVERIFY(DeleteUrlCacheEntryA("http://127.0.0.1/gone"));
    QVERIFY(DeleteUrlCacheEntryA("http://127.0.0.1/split"));
    QVERIFY(!DeleteUrlCacheEntryA("http://127.0.0.1/gone"));
    QVERIFY(!DeleteUrlCacheEntryA("http://127.0.0.1/never-cached"));
    QVERIFY(!DeleteUrlCacheEntryA(""));
    QVERIFY(!DeleteUrlCacheEntryA(nullptr));
    for (int i = 0; i < files.size(); ++i)
        QCOMPARE(QFile::exists(files[i]), i < 3);
    QCOMPARE(walk(), QStringList {QStringLiteral("http://127.0.0.1/keep")});
}

void TestUrlCache::deleteLeavesAFileThatNoLongerHoldsTheUrl()
{
    TestEnv env;
    const QByteArray key = "1/0/_dk_http://s.test http://s.test http://127.0.0.1/old";
    const QString path = cachefiles::writeEntry(folder(), key);
    QCOMPARE(walk().size(), 1);
    // The file now holds another address, as after the engine stored something else.
    writeFile(path, entryBytes("1/0/http://127.0.0.1/new"));
    QVERIFY(!DeleteUrlCacheEntryA("http://127.0.0.1/old"));
    QVERIFY(QFile::exists(path));
}

void TestUrlCache::orderIsTheSameFromOneWalkToTheNext()
{
    TestEnv env;
    for (int i = 0; i < 40; ++i)
        cachefiles::writeEntry(folder(), "1/0/http://127.0.0.1/page" + QByteArray::number(i));
    const QStringList first = walk();
    QCOMPARE(first.size(), 40);
    QCOMPARE(walk(), first);
    QVERIFY(DeleteUrlCacheEntryA(first[7].toUtf8().constData()));
    QStringList rest = first;
    rest.removeAt(7);
    QCOMPARE(walk(), rest);
}

void TestUrlCache::urlOfKey_data()
{
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("url");
    QTest::newRow("plain") << QByteArray("1/0/http://a.test/x") << QByteArray("http://a.test/x");
    QTest::newRow("split") << QByteArray("1/0/_dk_http://a.test http://a.test https://b.test/y")
                           << QByteArray("https://b.test/y");
    QTest::newRow("other numbers")
        << QByteArray("12/3/http://a.test/") << QByteArray("http://a.test/");
    QTest::newRow("no prefix") << QByteArray("http://a.test/1/0/")
                               << QByteArray("http://a.test/1/0/");
    QTest::newRow("half a prefix")
        << QByteArray("1/http://a.test/") << QByteArray("1/http://a.test/");
}

void TestUrlCache::urlOfKey()
{
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, url);
    QCOMPARE(UrlOfCacheKey(key), url);
}

void TestUrlCache::tempPath()
{
    TestEnv env;
    const QString dir = env.path() + QStringLiteral("/tmp");
    QDir().mkpath(dir);
    qputenv("TMPDIR", QFile::encodeName(dir));
    char buffer[260];
    std::memset(buffer, 'z', sizeof buffer);
    const std::uint32_t length = GetTempPathA(sizeof buffer, buffer);
    QCOMPARE(QByteArray(buffer), QFile::encodeName(dir + QLatin1Char('/')));
    QCOMPARE(length, std::uint32_t(dir.size() + 1));
    // Too small: the size it needs, with its terminator, and nothing written.
    char small[4] = {'q', 'q', 'q', 'q'};
    QCOMPARE(GetTempPathA(sizeof small, small), length + 1);
    QCOMPARE(QByteArray(small, 4), QByteArray("qqqq"));
    qunsetenv("TMPDIR");
}

QTEST_MAIN(TestUrlCache)
#include "tst_urlcache.moc"
