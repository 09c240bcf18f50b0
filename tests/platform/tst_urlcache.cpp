#include "CacheFiles.h"
#include "TestEnv.h"
#include "platform/UrlCache.h"

#include <QtTest>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;
using namespace cachefiles;

namespace {
const QByteArray kBadKey = "1/0/http://127.0.0.1/bad.html";
} // namespace

class TestUrlCache : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void walkListsWholeEntriesOnly_data();
    void walkListsWholeEntriesOnly();
    void sizedWalkThenDelete();
    void walkIsCurrentAndBounded();
};

// Each row adds one file beside two good entries, named as the engine names kBadKey's
// entry unless "name" gives another name; "pipe" makes it a pipe, "link" a link to a file.
void TestUrlCache::walkListsWholeEntriesOnly_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("listed"); // a third URL the walk must list, if any
    QTest::addColumn<QString>("name");
    const auto row
        = [](const char *tag, const QByteArray &bytes, const QString &listed = {},
             const QString &name = {}) { QTest::newRow(tag) << bytes << listed << name; };
    const QByteArray whole = entryBytes(kBadKey);
    const QByteArray longKey = "1/0/http://127.0.0.1/" + QByteArray(9000, 'q');
    row("split key", entryBytes("1/0/_dk_http://x.test http://x.test http://c.test/p"),
        "http://c.test/p");
    row("key longer than one read", entryBytes(longKey), QString::fromLatin1(longKey.mid(4)));
    row("truncated key", whole.left(24 + kBadKey.size() - 3));
    row("oversized key", entryBytes("1/0/http://a/" + QByteArray(2 * 1024 * 1024, 'x')));
    row("foreign magic", entryBytes(kBadKey, 0x1234));
    row("zero byte in key", entryBytes(kBadKey + QByteArray("\0x", 2)));
    row("upper-case name", whole, {}, entryName(kBadKey).toUpper());
    row("stream file only", whole, {},
        entryName(kBadKey).replace(QStringLiteral("_0"), QStringLiteral("_1")));
    row("pipe", {}, {}, "pipe");
    row("link to an entry", whole, {}, "link");
}

void TestUrlCache::walkListsWholeEntriesOnly()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, listed);
    QFETCH(QString, name);
    TestEnv env;
    QStringList expected {QStringLiteral("http://127.0.0.1/a.html"),
                          QStringLiteral("http://127.0.0.1/b.html")};
    for (const QString &url : std::as_const(expected))
        writeEntry(UrlCacheFolder(), "1/0/" + url.toLatin1());
    const bool pipe = name == "pipe", link = name == "link";
    const QString path = UrlCacheFolder() + '/' + (name.contains('_') ? name : entryName(kBadKey));
    const QString elsewhere = env.path() + QStringLiteral("/elsewhere");
    if (pipe)
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else
        QVERIFY(writeFile(link ? elsewhere : path, bytes)
                && (!link || QFile::link(elsewhere, path)));
    if (!listed.isEmpty())
        expected.append(listed); // both sort after the good entries
    // Only plain files are opened: a pipe or a device named like an entry is not.
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ::inotify_add_watch(watch, QFile::encodeName(UrlCacheFolder()).constData(), IN_OPEN);
    QStringList urls = walk();
    alignas(inotify_event) char events[65536];
    const ssize_t n = ::read(watch, events, sizeof events);
    for (ssize_t at = 0; at < n;
         at += ssize_t(sizeof(inotify_event)) + ((inotify_event *)(events + at))->len)
        QVERIFY(!(pipe && path.endsWith(((inotify_event *)(events + at))->name)));
    ::close(watch);
    urls.sort();
    QCOMPARE(urls, expected);
}

void TestUrlCache::sizedWalkThenDelete()
{
    TestEnv env;
    std::int32_t size = 0;
    QCOMPARE(FindFirstUrlCacheEntryA(nullptr, nullptr, &size), HANDLE(nullptr));
    QCOMPARE(size, 0); // empty cache: the size stays 0
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
    // A plain key in a file not named by its hash: listed, so the killer must delete it.
    const QString moved = UrlCacheFolder() + "/00000000000000ff_0";
    QVERIFY(writeFile(moved, entryBytes("1/0/" + local + "moved")));
    // Each entry is sized with no buffer, then with one a byte short, then fetched; sizing
    // does not move the walk on, and the URL's address lies in the caller's buffer.
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
        QVERIFY(!call(info, &shorter));
        QCOMPARE(shorter, size);
        QVERIFY(call(info, &size));
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
    QVERIFY(!QFile::exists(moved));
    for (const char *name : {"gone", "old", "never-cached"})
        QVERIFY(!DeleteUrlCacheEntryA((local + name).constData()));
    QVERIFY(!DeleteUrlCacheEntryA(""));
    for (int i = 0; i < files.size(); ++i)
        QCOMPARE(QFile::exists(files[i]), i < 3);
    QStringList rest = walk();
    rest.sort();
    QCOMPARE(rest, QStringList({local + "keep", local + "new"}));
}

void TestUrlCache::walkIsCurrentAndBounded()
{
    TestEnv env;
    const QByteArray folder = QFile::encodeName(UrlCacheFolder());
    const QString first = writeEntry(UrlCacheFolder(), "1/0/http://127.0.0.1/first");
    // Changed between the sizing call and the fetch, with the folder's time left as it was,
    // as a coarse file-system clock leaves it: the fetch sees the folder as it is now.
    std::int32_t size = 0;
    FindFirstUrlCacheEntryA(nullptr, nullptr, &size);
    struct stat before
    {
    };
    QVERIFY(::stat(folder.constData(), &before) == 0 && QFile::remove(first));
    writeEntry(UrlCacheFolder(), "1/0/http://127.0.0.1/later");
    const timespec times[2] = {{0, UTIME_OMIT}, before.st_mtim};
    QVERIFY(::utimensat(AT_FDCWD, folder.constData(), times, 0) == 0);
    QByteArray buffer(4096, '\0');
    auto *info = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA *>(buffer.data());
    size = std::int32_t(buffer.size());
    HANDLE h = FindFirstUrlCacheEntryA(nullptr, info, &size);
    QVERIFY(h && QByteArray(info->lpszSourceUrlName) == "http://127.0.0.1/later");
    FindCloseUrlCache(h);

    // Keys of the longest address the engine takes, more of them than the walk holds.
    qint64 total = 0;
    for (int i = 0; i < 20; ++i)
        writeEntry(UrlCacheFolder(),
                   "1/0/http://127.0.0.1/" + QByteArray(2 * 1024 * 1024 - 30, 'a' + i));
    const QStringList urls = walk();
    for (const QString &url : urls)
        total += url.size();
    QVERIFY(urls.size() > 1 && total <= 32 * 1024 * 1024);
}

QTEST_MAIN(TestUrlCache)
#include "tst_urlcache.moc"
