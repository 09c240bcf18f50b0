#include "compat/UrlCache.h"

#include "engine/WebBrowser.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace compat {

namespace {

constexpr quint64 kEntryMagic = 0xfcfb6d1ba7725c30ULL;
constexpr qsizetype kHeaderBytes = 24;
// The engine refuses addresses longer than this, so no real key is longer; a header that
// claims more belongs to a foreign or damaged file.
constexpr quint32 kMaxKeyBytes = 2 * 1024 * 1024;
// What one walk hands out in all: far beyond the keys of a real cache (the engine keeps
// its cache to some hundreds of megabytes, and a key is an address of some hundred
// bytes), yet a bound on what a folder of crafted files can make the history window hold.
constexpr qint64 kMaxWalkKeyBytes = 32 * 1024 * 1024;
// One read takes the header and the keys of all but unusually long addresses.
constexpr qsizetype kFirstRead = 4096;

struct Entry
{
    QByteArray url;
    QByteArray file;
    quint64 size = 0;
    struct timespec modified
    {
    };
    struct timespec accessed
    {
    };
};

struct Enumeration
{
    QByteArray folder;
    int folderFd = -1; // entries are opened relative to it: no path walk per entry
    ~Enumeration()
    {
        if (folderFd >= 0)
            ::close(folderFd);
    }
    std::shared_ptr<const std::vector<std::string>> names;
    std::size_t next = 0;
    qint64 keyBytes = 0; // handed out so far
    bool pending = false; // `entry` was read by a sizing call and not yet handed out
    Entry entry;
};

std::unordered_set<Enumeration *> &liveWalks()
{
    static std::unordered_set<Enumeration *> walks;
    return walks;
}

// The entry files each URL was last listed from, so a delete by URL removes the very files
// the walk showed (whatever their names) without reading the whole folder again.
QHash<QByteArray, QList<QByteArray>> &seenFiles()
{
    static QHash<QByteArray, QList<QByteArray>> seen;
    return seen;
}

bool isHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

bool isEntryFileName(const char *name)
{
    for (int i = 0; i < 16; ++i) {
        if (!isHex(name[i]))
            return false;
    }
    return std::strcmp(name + 16, "_0") == 0;
}

// Whether the path names a plain file itself, not a link, pipe or device.
bool isPlainFile(const char *path)
{
    struct stat st
    {
    };
    return ::lstat(path, &st) == 0 && S_ISREG(st.st_mode);
}

// Reads the entry stored in one file (`name` in the folder open as `folderFd`, or a whole
// path with AT_FDCWD), which the caller has seen to be a plain file; false for anything
// that is not a whole entry. `path` is the file's whole path, kept with the entry.
bool readEntry(int folderFd, const char *name, const QByteArray &path, Entry &out)
{
    // No following links and no blocking, and a plain file still on the descriptor: a
    // file swapped for a link or a pipe since it was seen is skipped, not read or waited
    // on.
    const int fd
        = ::openat(folderFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = false;
    struct stat st
    {
    };
    char head[kFirstRead];
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        const ssize_t got = ::pread(fd, head, sizeof head, 0);
        if (got >= kHeaderBytes && qFromLittleEndian<quint64>(head) == kEntryMagic) {
            const quint32 keyLength = qFromLittleEndian<quint32>(head + 12);
            const auto keyEnd = quint64(kHeaderBytes) + keyLength;
            if (keyLength > 0 && keyLength <= kMaxKeyBytes && keyEnd <= quint64(st.st_size)) {
                QByteArray key;
                if (keyEnd <= quint64(got)) {
                    key = QByteArray(head + kHeaderBytes, keyLength);
                    ok = true;
                } else {
                    key.resize(keyLength);
                    ok = ::pread(fd, key.data(), keyLength, kHeaderBytes) == ssize_t(keyLength);
                }
                // A key with a zero byte cannot be handed out as a string whole.
                if (ok && !key.contains('\0')) {
                    out.url = UrlOfCacheKey(key);
                    ok = !out.url.isEmpty();
                } else {
                    ok = false;
                }
            }
        }
    }
    ::close(fd);
    if (!ok)
        return false;
    out.file = path;
    out.size = quint64(st.st_size);
    out.modified = st.st_mtim;
    out.accessed = st.st_atim;
    return true;
}

// The folder's entry files that are plain files, in name order: the same from one walk to
// the next, whatever the directory's own order.
std::vector<std::string> entryFileNames(int folderFd, const QByteArray &folder)
{
    std::vector<std::string> names;
    const int listFd = folderFd < 0 ? -1 : ::dup(folderFd);
    DIR *dir = listFd < 0 ? nullptr : ::fdopendir(listFd);
    if (!dir) {
        if (listFd >= 0)
            ::close(listFd);
        return names;
    }
    while (const dirent *d = ::readdir(dir)) {
        if (!isEntryFileName(d->d_name))
            continue;
        // The directory tells the type on most file systems; where it does not, ask.
        if (d->d_type == DT_REG
            || (d->d_type == DT_UNKNOWN && isPlainFile(folder + '/' + d->d_name)))
            names.emplace_back(d->d_name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

// The last listing, kept only while the kernel's change notices prove it current: the
// folder's modification time cannot, as a create and an unlink within one tick of the file
// system's clock leave it unchanged. A name created, deleted or moved in the folder, the
// folder itself moved or deleted, or notices lost, and the next walk lists it afresh. The
// history window sizes a walk's first entry and then fetches it, two walks back to back:
// this spares the second listing of thousands of names.
struct Listing
{
    QByteArray folder;
    dev_t device = 0;
    ino_t inode = 0;
    int notices = -1;
    std::shared_ptr<const std::vector<std::string>> names;
};

// Reads every notice waiting; true when there was any (or the descriptor failed).
bool changedSince(int notices)
{
    alignas(inotify_event) char buffer[4096];
    bool changed = false;
    ssize_t got;
    while ((got = ::read(notices, buffer, sizeof buffer)) > 0)
        changed = true;
    return changed || (got < 0 && errno != EAGAIN);
}

std::shared_ptr<const std::vector<std::string>> currentNames(int folderFd, const QByteArray &folder)
{
    static Listing last;
    struct stat st
    {
    };
    if (folderFd < 0 || ::fstat(folderFd, &st) != 0)
        return std::make_shared<std::vector<std::string>>();
    const bool watched = last.notices >= 0 && last.folder == folder && last.device == st.st_dev
        && last.inode == st.st_ino;
    if (watched && !changedSince(last.notices))
        return last.names;
    if (!watched) {
        if (last.notices >= 0)
            ::close(last.notices);
        // The watch goes on the folder that is open, whatever its path names by now.
        last.notices = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        const QByteArray open = "/proc/self/fd/" + QByteArray::number(folderFd);
        if (last.notices >= 0
            && ::inotify_add_watch(last.notices, open.constData(),
                                   IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO
                                       | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR)
                < 0) {
            ::close(last.notices);
            last.notices = -1;
        }
        last.folder = folder;
        last.device = st.st_dev;
        last.inode = st.st_ino;
    }
    // Watched first, then listed: a change while the folder is being read shows as a notice.
    last.names = std::make_shared<const std::vector<std::string>>(entryFileNames(folderFd, folder));
    return last.names;
}

bool readNext(Enumeration &walk)
{
    while (walk.next < walk.names->size()) {
        const std::string &name = (*walk.names)[walk.next++];
        QByteArray path = walk.folder;
        path.append('/').append(name.data(), qsizetype(name.size()));
        if (!readEntry(walk.folderFd, name.c_str(), path, walk.entry))
            continue;
        walk.keyBytes += walk.entry.url.size();
        if (walk.keyBytes > kMaxWalkKeyBytes) {
            walk.next = walk.names->size();
            return false;
        }
        walk.pending = true;
        return true;
    }
    return false;
}

std::int32_t bytesNeeded(const Entry &e)
{
    return std::int32_t(sizeof(INTERNET_CACHE_ENTRY_INFOA) + e.url.size() + 1 + e.file.size() + 1);
}

FILETIME fileTime(const struct timespec &t)
{
    // 100-nanosecond steps since 1601, the unit and origin these records have always used.
    const quint64 ticks
        = (quint64(t.tv_sec) + 11644473600ULL) * 10000000ULL + quint64(t.tv_nsec) / 100;
    return {quint32(ticks), quint32(ticks >> 32)};
}

void fillRecord(INTERNET_CACHE_ENTRY_INFOA *info, const Entry &e)
{
    std::memset(info, 0, sizeof *info);
    char *strings = reinterpret_cast<char *>(info + 1);
    std::memcpy(strings, e.url.constData(), std::size_t(e.url.size()) + 1);
    char *file = strings + e.url.size() + 1;
    std::memcpy(file, e.file.constData(), std::size_t(e.file.size()) + 1);
    info->dwStructSize = sizeof *info;
    info->lpszSourceUrlName = strings;
    info->lpszLocalFileName = file;
    info->CacheEntryType = NORMAL_CACHE_ENTRY;
    info->dwSizeLow = quint32(e.size);
    info->dwSizeHigh = quint32(e.size >> 32);
    info->LastModifiedTime = fileTime(e.modified);
    info->LastAccessTime = fileTime(e.accessed);
    info->LastSyncTime = info->LastModifiedTime;
}

// Hands out the entry read last when the caller's buffer holds it; otherwise says how
// many bytes it needs.
bool deliver(Enumeration &walk, INTERNET_CACHE_ENTRY_INFOA *info, std::int32_t *size)
{
    const std::int32_t need = bytesNeeded(walk.entry);
    if (!info || *size < need) {
        *size = need;
        return false;
    }
    fillRecord(info, walk.entry);
    *size = need;
    walk.pending = false;
    QList<QByteArray> &files = seenFiles()[walk.entry.url];
    if (!files.contains(walk.entry.file))
        files.append(walk.entry.file);
    return true;
}

// The file the engine stores the plain key "1/0/<url>" in: the first eight bytes of the
// key's SHA-1 as a little-endian number, in hex.
QByteArray plainKeyFile(const QByteArray &folder, const QByteArray &url)
{
    const QByteArray digest
        = QCryptographicHash::hash(QByteArray("1/0/") + url, QCryptographicHash::Sha1);
    const quint64 hash = qFromLittleEndian<quint64>(digest.constData());
    return folder + '/' + QByteArray::number(hash, 16).rightJustified(16, '0') + "_0";
}

} // namespace

QString UrlCacheFolder()
{
    return engine::BrowserCachePath() + QStringLiteral("/Cache/Cache_Data");
}

QByteArray UrlOfCacheKey(const QByteArray &key)
{
    QByteArray url = key.mid(key.lastIndexOf(' ') + 1);
    // "1/0/": the engine's prefix of numbers ended by slashes. An address never starts
    // with a digit, its scheme does not, so only the prefix goes.
    qsizetype at = 0;
    for (int part = 0; part < 2; ++part) {
        const qsizetype start = at;
        while (at < url.size() && url[at] >= '0' && url[at] <= '9')
            ++at;
        if (at == start || at >= url.size() || url[at] != '/')
            return url;
        ++at;
    }
    return url.mid(at);
}

HANDLE FindFirstUrlCacheEntryA(const char *lpszUrlSearchPattern,
                               INTERNET_CACHE_ENTRY_INFOA *lpFirstCacheEntryInfo,
                               std::int32_t *lpcbCacheEntryInfo)
{
    if (!lpcbCacheEntryInfo)
        return nullptr;
    if (lpszUrlSearchPattern && std::strcmp(lpszUrlSearchPattern, "*") != 0)
        return nullptr;
    auto *walk = new Enumeration;
    walk->folder = QFile::encodeName(UrlCacheFolder());
    walk->folderFd = ::open(walk->folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    walk->names = currentNames(walk->folderFd, walk->folder);
    if (lpFirstCacheEntryInfo)
        seenFiles().clear();
    if (!readNext(*walk) || !deliver(*walk, lpFirstCacheEntryInfo, lpcbCacheEntryInfo)) {
        delete walk;
        return nullptr;
    }
    liveWalks().insert(walk);
    return walk;
}

bool FindNextUrlCacheEntryA(HANDLE hEnumHandle, INTERNET_CACHE_ENTRY_INFOA *lpNextCacheEntryInfo,
                            std::int32_t *lpcbCacheEntryInfo)
{
    auto *walk = static_cast<Enumeration *>(hEnumHandle);
    if (!lpcbCacheEntryInfo || !liveWalks().count(walk))
        return false;
    if (!walk->pending && !readNext(*walk))
        return false;
    return deliver(*walk, lpNextCacheEntryInfo, lpcbCacheEntryInfo);
}

bool FindCloseUrlCache(HANDLE hEnumHandle)
{
    auto *walk = static_cast<Enumeration *>(hEnumHandle);
    if (!liveWalks().erase(walk))
        return false;
    delete walk;
    return true;
}

bool DeleteUrlCacheEntryA(const char *lpszUrlName)
{
    if (!lpszUrlName || !*lpszUrlName)
        return false;
    const QByteArray url(lpszUrlName);
    const QByteArray folder = QFile::encodeName(UrlCacheFolder());
    QList<QByteArray> candidates = seenFiles().value(url);
    const QByteArray plain = plainKeyFile(folder, url);
    if (!candidates.contains(plain))
        candidates.append(plain);
    bool removed = false;
    for (const QByteArray &path : std::as_const(candidates)) {
        Entry entry;
        // The file may have been reused or replaced since the walk: only an entry that
        // still holds this URL goes.
        if (!isPlainFile(path) || !readEntry(AT_FDCWD, path.constData(), path, entry)
            || entry.url != url || ::unlink(path.constData()) != 0)
            continue;
        removed = true;
        const QByteArray base = path.left(path.size() - 2);
        ::unlink((base + "_1").constData());
        ::unlink((base + "_s").constData());
    }
    if (removed)
        seenFiles().remove(url);
    return removed;
}

std::uint32_t GetTempPathA(std::uint32_t nBufferLength, char *lpBuffer)
{
    QString path = QDir::toNativeSeparators(QDir::tempPath());
    if (path.isEmpty())
        return 0;
    if (!path.endsWith(QDir::separator()))
        path += QDir::separator();
    const QByteArray bytes = QFile::encodeName(path);
    const auto length = std::uint32_t(bytes.size());
    if (!lpBuffer || nBufferLength < length + 1)
        return length + 1;
    std::memcpy(lpBuffer, bytes.constData(), length + 1);
    return length;
}

} // namespace compat
