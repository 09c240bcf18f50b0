#include "platform/PrivateProfile.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <QStringDecoder>

#include <algorithm>
#include <memory>
#include <sys/stat.h>

namespace platform {

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

using Section = QHash<QString, QString>;

struct Profile
{
    QHash<QString, Section> sections;
};

Profile parse(const QString &text)
{
    Profile profile;
    Section *current = nullptr;
    QStringView rest(text);
    if (rest.startsWith(QChar(0xFEFF)))
        rest = rest.sliced(1);
    while (!rest.isEmpty()) {
        qsizetype eol = 0;
        while (eol < rest.size() && rest[eol] != u'\n' && rest[eol] != u'\r')
            ++eol;
        QStringView line = rest.first(eol);
        rest = rest.sliced(eol < rest.size() ? eol + 1 : eol);

        // A NUL ends a line's text, as it ends any string the profile functions return.
        const qsizetype nul = line.indexOf(QChar(0));
        if (nul >= 0)
            line = line.first(nul);
        line = trimBlanks(line);
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            // A header whose "]" is missing still starts a section, so that a typo in one
            // header never lets its keys fall into the section above it.
            QStringView name = line.sliced(1);
            const qsizetype close = name.indexOf(u']');
            if (close >= 0)
                name = name.first(close);
            current = &profile.sections[nameKey(name)];
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0 || !current)
            continue; // neither a header nor a key: ignored
        const QString key = nameKey(line.first(eq));
        if (key.isEmpty() || current->contains(key))
            continue;
        QStringView value = trimBlanks(line.sliced(eq + 1));
        if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'')
            && value.back() == value.front())
            value = value.sliced(1, value.size() - 2);
        current->insert(key, value.toString());
    }
    return profile;
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

// The parsed form of the file, from the cache while the file is unchanged; null when the
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

    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    const QByteArray bytes = file.readAll();
    file.close();
    auto profile = std::make_shared<const Profile>(parse(ProfileText(bytes)));
    // A program reads a handful of profile files; keep the cache from growing without
    // bound all the same.
    if (cache().size() >= 16)
        cache().clear();
    // The stamp taken before the read: if the file changed in between, the next call sees
    // a different stamp and parses again.
    cache().insert(fileName, {stamp, profile});
    return profile;
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
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return QString::fromLatin1(bytes);
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
    if (const auto profile = profileOf(fileName)) {
        const auto section = profile->sections.constFind(nameKey(appName));
        if (section != profile->sections.constEnd()) {
            const auto key = section->constFind(nameKey(keyName));
            if (key != section->constEnd()) {
                found = *key;
                value = found;
            }
        }
    }

    const qsizetype n = std::min<qsizetype>(value.size(), room - 1);
    QChar *out = returnedString.data();
    std::copy(value.begin(), value.begin() + n, out);
    out[n] = QChar(0);
    return static_cast<int>(n);
}

} // namespace platform
