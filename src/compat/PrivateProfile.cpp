#include "compat/PrivateProfile.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace compat {

namespace {

// Only blanks and tabs surround names and values; other white space belongs to the text.
QStringView trimBlanks(QStringView s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && (s[begin] == u' ' || s[begin] == u'\t'))
        ++begin;
    while (end > begin && (s[end - 1] == u' ' || s[end - 1] == u'\t'))
        --end;
    return s.sliced(begin, end - begin);
}

QString nameKey(QStringView name)
{
    return trimBlanks(name).toString().toCaseFolded();
}

// The longest line read whole; the rest of a longer one is skipped. Far beyond any line of
// a file kept by hand, yet a bound on what one line can make the reader hold.
constexpr std::size_t kMaxLine = 64 * 1024;
// The file is read this much at a time, whatever its size.
constexpr std::size_t kChunk = 64 * 1024;
// Values held as text, in characters, over all of a file's keys; the values beyond it are
// read from the file when asked for (a read of one line). A few thousand favourites fit,
// and a huge file costs at most half a megabyte here for the rest of the run.
constexpr qsizetype kHeldChars = 256 * 1024;
// Keys indexed per file (32 bytes each): both sections of the largest favourites file
// there can be, and room to spare. A lookup a key past them misses reads on from where the
// index stopped, so a file of millions of keys is still read correctly, only slower.
constexpr qsizetype kMaxKeys = 96 * 1024;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QString decode(const char *bytes, std::size_t size, bool utf8)
{
    return utf8 ? QString::fromUtf8(bytes, qsizetype(size))
                : QString::fromLatin1(bytes, qsizetype(size));
}

// One line of the file, split into what the reader cares about. Blanks and NULs in front
// are skipped (a stray NUL, as a damaged save leaves, hides no header); after that a NUL
// ends the line's text, as it ends any string the profile functions return.
struct Line
{
    enum Kind { Other, Header, Pair } kind = Other;
    QString name; // the section's or the key's, ready for lookup
    const char *value = nullptr; // a pair's value, trimmed and unquoted
    std::size_t valueSize = 0;
    bool utf8 = true;
};

Line splitLine(const char *p, std::size_t n)
{
    Line line;
    while (n > 0 && (isBlank(*p) || *p == '\0'))
        ++p, --n;
    if (const void *nul = std::memchr(p, 0, n))
        n = std::size_t(static_cast<const char *>(nul) - p);
    while (n > 0 && isBlank(p[n - 1]))
        --n;
    if (n == 0 || *p == ';')
        return line;
    // Each line decides its own encoding: UTF-8 when it is valid UTF-8, otherwise one
    // Latin-1 character per byte (lines saved by older editors), so no byte is ever lost
    // and one odd line leaves the others as they were written.
    line.utf8 = QByteArrayView(p, qsizetype(n)).isValidUtf8();
    if (*p == '[') {
        // A header whose "]" is missing still starts a section, so that a typo in one
        // header never lets its keys fall into the section above it.
        const void *close = std::memchr(p + 1, ']', n - 1);
        const std::size_t size
            = close ? std::size_t(static_cast<const char *>(close) - p - 1) : n - 1;
        line.kind = Line::Header;
        line.name = nameKey(decode(p + 1, size, line.utf8));
        return line;
    }
    const void *eq = std::memchr(p, '=', n);
    if (!eq)
        return line; // neither a header nor a key: ignored
    const auto keySize = std::size_t(static_cast<const char *>(eq) - p);
    line.name = nameKey(decode(p, keySize, line.utf8));
    if (line.name.isEmpty())
        return line;
    const char *value = p + keySize + 1;
    std::size_t size = n - keySize - 1;
    while (size > 0 && isBlank(*value))
        ++value, --size;
    // Quotation marks are single bytes in either encoding, so the pair is found as bytes.
    if (size >= 2 && (*value == '"' || *value == '\'') && value[size - 1] == *value)
        ++value, size -= 2;
    line.kind = Line::Pair;
    line.value = value;
    line.valueSize = size;
    return line;
}

// Hands every line of the file from byte `from` on to visit(offset, bytes, size), until it
// returns false. Reads a chunk at a time; a line longer than kMaxLine is handed on cut.
template<class Visit> void forEachLine(int fd, qint64 from, Visit visit)
{
    const std::unique_ptr<char[]> buffer(new char[kChunk + kMaxLine]);
    char *const buf = buffer.get();
    qint64 base = from; // the file offset of buf[0]
    std::size_t have = 0;
    bool skipping = false; // in the rest of a line already handed on cut
    for (;;) {
        ssize_t got;
        do
            got = ::pread(fd, buf + have, kChunk, base + qint64(have));
        while (got < 0 && errno == EINTR);
        const bool end = got <= 0;
        have += end ? 0 : std::size_t(got);
        std::size_t pos = 0;
        while (pos < have) {
            const char *at = buf + pos;
            const std::size_t rest = have - pos;
            const char *eol = static_cast<const char *>(std::memchr(at, '\n', rest));
            if (const void *cr = std::memchr(at, '\r', eol ? std::size_t(eol - at) : rest))
                eol = static_cast<const char *>(cr);
            if (!eol && !end && rest < kMaxLine)
                break; // the line goes on in the next chunk
            const std::size_t size = eol ? std::size_t(eol - at) : std::min(rest, kMaxLine);
            if (!skipping && !visit(base + qint64(pos), at, size))
                return;
            skipping = !eol;
            pos = eol ? pos + size + 1 : have;
        }
        if (end)
            return;
        std::memmove(buf, buf + pos, have - pos);
        base += qint64(pos);
        have -= pos;
    }
}

// One key of the file, found by the hash of its section's and its own name. Its name and
// value are held as text while the held text lasts; after that they are read again from
// its line in the file when asked for. A few dozen bytes a key, whatever the file.
struct Key
{
    quint64 hash;
    qint64 line; // the offset of its line in the file
    quint32 lineSize;
    qint32 held; // where its name and then its value start in Profile::text; -1: not held
    quint32 nameSize;
    quint32 valueSize;
};

quint64 keyHash(const QString &section, const QString &key)
{
    return qHashMulti(0, section, key);
}

struct Profile
{
    std::vector<Key> keys; // by hash, and in file order within one hash
    QString text;
    int fd = -1; // open while the profile is, for the keys not held
    // Where the index stopped, when the file has more keys than it takes, and the
    // section in force there; -1 when the whole file is indexed.
    qint64 resumeAt = -1;
    QString resumeSection;

    Profile() = default;
    Profile(const Profile &) = delete;
    Profile &operator=(const Profile &) = delete;
    ~Profile()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// A UTF-8 byte-order mark in front of the file is not text, however the rest decodes.
void dropByteOrderMark(qint64 offset, const char *&p, std::size_t &n)
{
    if (offset == 0 && n >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0)
        p += 3, n -= 3;
}

void index(Profile &profile)
{
    bool inSection = false;
    QString section;
    forEachLine(profile.fd, 0, [&](qint64 offset, const char *p, std::size_t n) {
        const auto lineSize = quint32(n);
        dropByteOrderMark(offset, p, n);
        const Line line = splitLine(p, n);
        if (line.kind == Line::Header) {
            inSection = true;
            section = line.name;
        }
        if (line.kind != Line::Pair || !inSection)
            return true;
        if (qsizetype(profile.keys.size()) == kMaxKeys) {
            profile.resumeAt = offset;
            profile.resumeSection = section;
            return false;
        }
        Key key {keyHash(section, line.name), offset, lineSize, -1, 0, 0};
        if (profile.text.size() + line.name.size() + qsizetype(line.valueSize) <= kHeldChars) {
            const QString value = decode(line.value, line.valueSize, line.utf8);
            key.held = qint32(profile.text.size());
            key.nameSize = quint32(line.name.size());
            key.valueSize = quint32(value.size());
            profile.text += line.name + value;
        }
        profile.keys.push_back(key);
        return true;
    });
    profile.text.squeeze();
    std::stable_sort(profile.keys.begin(), profile.keys.end(),
                     [](const Key &a, const Key &b) { return a.hash < b.hash; });
}

struct FileStamp
{
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    struct timespec mtime = {};
    struct timespec ctime = {};

    bool operator==(const FileStamp &o) const
    {
        return device == o.device && inode == o.inode && size == o.size
            && mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec
            && ctime.tv_sec == o.ctime.tv_sec && ctime.tv_nsec == o.ctime.tv_nsec;
    }
};

bool stampOf(const QString &fileName, FileStamp *stamp)
{
    struct stat st = {};
    if (::stat(QFile::encodeName(fileName).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    stamp->device = st.st_dev;
    stamp->inode = st.st_ino;
    stamp->size = st.st_size;
    stamp->mtime = st.st_mtim;
    stamp->ctime = st.st_ctim;
    return true;
}

struct CachedProfile
{
    FileStamp stamp;
    std::shared_ptr<const Profile> profile;
};

QMutex cacheMutex;
QHash<QString, CachedProfile> &cache()
{
    static QHash<QString, CachedProfile> c;
    return c;
}

// The indexed form of the file, from the cache while the file is unchanged; null when the
// file is missing or cannot be read.
std::shared_ptr<const Profile> profileOf(const QString &fileName)
{
    FileStamp stamp;
    if (fileName.isEmpty() || !stampOf(fileName, &stamp))
        return nullptr;
    QMutexLocker lock(&cacheMutex);
    auto it = cache().constFind(fileName);
    if (it != cache().constEnd() && it->stamp == stamp)
        return it->profile;

    auto profile = std::make_shared<Profile>();
    profile->fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC);
    if (profile->fd < 0)
        return nullptr;
    index(*profile);
    // A program reads a handful of profile files; keep the cache from growing without
    // bound all the same.
    if (cache().size() >= 4)
        cache().clear();
    // The stamp taken before the read: if the file changed in between, the next call sees
    // a different stamp and reads it again.
    cache().insert(fileName, {stamp, profile});
    return profile;
}

// The value of a key line read again from the file, when its name is `name`.
bool readKey(const Profile &profile, const Key &key, const QString &name, qsizetype room,
             QString &out)
{
    QByteArray bytes(key.lineSize, Qt::Uninitialized);
    if (::pread(profile.fd, bytes.data(), key.lineSize, key.line) != ssize_t(key.lineSize))
        return false;
    const char *p = bytes.constData();
    std::size_t n = key.lineSize;
    dropByteOrderMark(key.line, p, n);
    const Line line = splitLine(p, n);
    if (line.kind != Line::Pair || line.name != name)
        return false;
    // No character takes more than four bytes.
    out = decode(line.value, std::min<std::size_t>(line.valueSize, 4 * std::size_t(room)),
                 line.utf8);
    return true;
}

// The value of the key in the section (both as nameKey makes them): from the index, or
// read on from where the index stopped.
bool lookup(const Profile &profile, const QString &section, const QString &name, qsizetype room,
            QString &out)
{
    const quint64 hash = keyHash(section, name);
    auto it = std::lower_bound(profile.keys.begin(), profile.keys.end(), hash,
                               [](const Key &k, quint64 h) { return k.hash < h; });
    for (; it != profile.keys.end() && it->hash == hash; ++it) {
        if (it->held < 0) {
            if (readKey(profile, *it, name, room, out))
                return true;
        } else if (QStringView(profile.text).sliced(it->held, it->nameSize) == name) {
            out = profile.text.sliced(it->held + it->nameSize, it->valueSize);
            return true;
        }
    }
    if (profile.resumeAt < 0)
        return false;
    bool inSection = profile.resumeSection == section;
    bool found = false;
    forEachLine(profile.fd, profile.resumeAt, [&](qint64, const char *p, std::size_t n) {
        const Line line = splitLine(p, n);
        if (line.kind == Line::Header)
            inSection = line.name == section;
        if (line.kind != Line::Pair || !inSection || line.name != name)
            return true;
        out = decode(line.value, std::min<std::size_t>(line.valueSize, 4 * std::size_t(room)),
                     line.utf8);
        found = true;
        return false;
    });
    return found;
}

} // namespace

bool IsValidUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    Q_UNUSED(text);
    return !decoder.hasError();
}

QString ProfileText(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    // The byte-order mark stays in the text, so that the file keeps it when saved again.
    qsizetype at = 0;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        text += QChar(0xFEFF);
        at = 3;
    }
    while (at < bytes.size()) {
        qsizetype end = at;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        const QByteArrayView line(bytes.constData() + at, end - at);
        text += line.isValidUtf8() ? QString::fromUtf8(line) : QString::fromLatin1(line);
        if (end < bytes.size())
            text += QLatin1Char(bytes[end]);
        at = end + 1;
    }
    return text;
}

int GetPrivateProfileStringA(const QString &appName, const QString &keyName, const QString &def,
                             QString &returnedString, int size, const QString &fileName)
{
    // Never write past the buffer the caller handed in, whatever size it claims.
    const qsizetype room = std::min<qsizetype>(size, returnedString.size());
    if (room <= 0)
        return 0;

    QStringView value(def);
    while (!value.isEmpty() && (value.back() == u' ' || value.back() == u'\t'))
        value.chop(1);
    QString found;
    const auto profile = profileOf(fileName);
    if (profile && lookup(*profile, nameKey(appName), nameKey(keyName), room, found))
        value = found;

    const qsizetype n = std::min<qsizetype>(value.size(), room - 1);
    QChar *out = returnedString.data();
    std::copy(value.begin(), value.begin() + n, out);
    out[n] = QChar(0);
    return static_cast<int>(n);
}

QList<ProfilePair> GetPrivateProfileSectionPairs(const QString &appName, const QString &fileName)
{
    QList<ProfilePair> pairs;
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return pairs;
    const QString wanted = nameKey(appName);
    QSet<QString> seen;
    bool inSection = false;
    forEachLine(fd, 0, [&](qint64 offset, const char *p, std::size_t n) {
        dropByteOrderMark(offset, p, n);
        const Line line = splitLine(p, n);
        if (line.kind == Line::Header) {
            inSection = line.name == wanted;
        } else if (line.kind == Line::Pair && inSection && !seen.contains(line.name)) {
            seen.insert(line.name);
            // The key as written: up to its "=", blanks and leading NULs trimmed as the
            // lookup trims them.
            while (n > 0 && (isBlank(*p) || *p == '\0'))
                ++p, --n;
            const auto keySize = std::size_t(static_cast<const char *>(std::memchr(p, '=', n)) - p);
            pairs.append({trimBlanks(decode(p, keySize, line.utf8)).toString(),
                          decode(line.value, line.valueSize, line.utf8)});
        }
        return true;
    });
    ::close(fd);
    return pairs;
}

} // namespace compat
