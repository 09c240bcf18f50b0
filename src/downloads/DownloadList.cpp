#include "downloads/DownloadList.h"

#include "app/App.h"
#include "downloads/ClamScan.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include <cmath>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace downloads {

using downloads::HashAlgorithm;

namespace {

// Marks the file as this program's list, so a foreign JSON file is not taken for one.
const QLatin1String kFormat("ScoutwellV3 downloads");
// Larger than any list a person keeps; anything bigger is not ours.
constexpr qint64 kMaxFileSize = 16 << 20;
// The speed is taken over the bytes of the last few seconds.
constexpr qint64 kSpeedWindowMs = 3000;
// The largest whole number a JSON reader keeps exactly: no file or time is larger.
constexpr double kMaxNumber = 9007199254740992.0;

constexpr struct
{
    State state;
    const char *name;
} kStateNames[] = {
    {State::Running, "running"},     {State::Paused, "paused"}, {State::Finished, "finished"},
    {State::Cancelled, "cancelled"}, {State::Failed, "failed"},
};

QString stateName(State s)
{
    for (const auto &row : kStateNames) {
        if (row.state == s)
            return QLatin1String(row.name);
    }
    return QString();
}

std::optional<State> stateNamed(const QString &name)
{
    for (const auto &row : kStateNames) {
        if (name == QLatin1String(row.name))
            return row.state;
    }
    return std::nullopt;
}

DownloadList *&theList()
{
    static DownloadList *list = nullptr;
    return list;
}

qint64 nowMs()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}

// A whole number of the object in [min, kMaxNumber]; `fallback` when it is missing, nothing
// when it is anything else.
std::optional<qint64> number(const QJsonObject &o, const char *key, qint64 fallback, qint64 min)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined())
        return fallback;
    const double d = v.toDouble(std::nan(""));
    if (!v.isDouble() || !std::isfinite(d) || d < double(min) || d > kMaxNumber
        || d != std::floor(d))
        return std::nullopt;
    return qint64(d);
}

bool isHex(const QString &text, qsizetype size)
{
    if (text.size() != size)
        return false;
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            || (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
    });
}

} // namespace

QString Entry::fileName() const
{
    return QFileInfo(path).fileName();
}

QByteArray Entry::sum(HashAlgorithm algorithm) const
{
    if (algorithm == HashAlgorithm::Sha256)
        return sha256.toLatin1();
    return sums.value(int(algorithm));
}

QString Entry::verdict() const
{
    const std::optional<PublishedSum> p = ParsePublishedSum(published);
    if (!p || sum(p->algorithm).isEmpty())
        return QString();
    return sum(p->algorithm) == p->hex ? QStringLiteral("matches") : QStringLiteral("mismatch");
}

DownloadList *DownloadList::instance()
{
    if (!theList()) {
        theList() = new DownloadList;
        theList()->load();
    }
    return theList();
}

DownloadList *DownloadList::existing()
{
    return theList();
}

DownloadList::DownloadList()
    : QAbstractListModel(QCoreApplication::instance()),
      m_stop(std::make_shared<std::atomic_bool>(false))
{
}

DownloadList::~DownloadList()
{
    // A file of several gigabytes may still be being read; it is given up, not waited for.
    m_stop->store(true);
    m_hashing.waitForDone();
    theList() = nullptr;
}

QString DownloadList::filePath()
{
    return app::DataFolder() + QStringLiteral("/downloads.json");
}

int DownloadList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant DownloadList::data(const QModelIndex &index, int role) const
{
    const Entry *e = index.isValid() ? entryAt(index.row()) : nullptr;
    if (!e)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return e->fileName();
    case Qt::ToolTipRole:
        return e->path;
    case IdRole:
        return e->id;
    case StateRole:
        return int(e->state);
    default:
        return QVariant();
    }
}

const Entry *DownloadList::entryAt(int row) const
{
    return row >= 0 && size_t(row) < m_entries.size() ? m_entries[size_t(row)].get() : nullptr;
}

Entry *DownloadList::find(quint64 id) const
{
    const int row = rowOf(id);
    return row < 0 ? nullptr : m_entries[size_t(row)].get();
}

int DownloadList::rowOf(quint64 id) const
{
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i]->id == id)
            return int(i);
    }
    return -1;
}

void DownloadList::rowChanged(quint64 id)
{
    const int row = rowOf(id);
    if (row >= 0)
        Q_EMIT dataChanged(index(row), index(row));
    // A list that could not be saved is tried again at every change.
    if (!m_saveProblem.isEmpty())
        save();
}

std::optional<DownloadList::Rows> DownloadList::parse(const QByteArray &bytes, QString *why)
{
    *why = QStringLiteral("it is damaged or not a list of downloads");
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    const QJsonObject root = doc.object();
    if (error.error != QJsonParseError::NoError || root.value(QLatin1String("format")) != kFormat
        || !root.value(QLatin1String("downloads")).isArray())
        return std::nullopt;
    Rows read;
    for (const QJsonValue &v : root.value(QLatin1String("downloads")).toArray()) {
        const QJsonObject o = v.toObject();
        const std::optional<State> state = stateNamed(o.value(QLatin1String("state")).toString());
        const QString url = o.value(QLatin1String("url")).toString();
        const QString path = o.value(QLatin1String("path")).toString();
        const std::optional<qint64> size = number(o, "size", -1, -1);
        const std::optional<qint64> received = number(o, "received", 0, 0);
        const std::optional<qint64> stampSize = number(o, "sha256_size", -1, -1);
        const std::optional<qint64> stampTime = number(o, "sha256_mtime", 0, 0);
        const QString sha256 = o.value(QLatin1String("sha256")).toString();
        // Rows from before the mark was kept: their own address is all that is known.
        const QJsonValue plain = o.value(QLatin1String("not_encrypted"));
        const bool notEncrypted = plain.isUndefined()
            ? url.startsWith(QLatin1String("http:"), Qt::CaseInsensitive)
            : plain.toBool();
        if (!state || url.isEmpty() || path.isEmpty() || !size || !received || !stampSize
            || !stampTime || (!sha256.isEmpty() && !isHex(sha256, 64))
            || !(plain.isUndefined() || plain.isBool())) {
            *why = QStringLiteral("a row of it is damaged");
            return std::nullopt;
        }
        auto e = std::make_unique<Entry>();
        e->url = url;
        e->path = path;
        e->size = *size;
        e->received = *received;
        e->finished
            = QDateTime::fromString(o.value(QLatin1String("finished")).toString(), Qt::ISODate);
        e->sha256 = sha256;
        e->sumStamp = {*stampSize, *stampTime};
        e->state = *state;
        e->reason = o.value(QLatin1String("reason")).toString();
        if (const auto p = ParsePublishedSum(o.value(QLatin1String("published")).toString())) {
            e->published = QString::fromLatin1(p->hex);
            e->publishedFrom = o.value(QLatin1String("published_from")).toString();
        }
        e->scan = o.value(QLatin1String("scan")).toString();
        e->scanSignatures = o.value(QLatin1String("scan_signatures")).toString();
        e->scanVersion = o.value(QLatin1String("scan_version")).toString();
        e->notEncrypted = notEncrypted;
        if (e->unfinished()) {
            // The program ended (or was ended) while it ran; the engine cannot pick it up.
            e->state = State::Failed;
            e->reason = QStringLiteral("The program ended before the download finished");
            e->endedByRestart = true;
        }
        read.push_back(std::move(e));
    }
    return read;
}

QByteArray DownloadList::serialize(const Rows &rows)
{
    QJsonArray list;
    for (const auto &e : rows) {
        QJsonObject o {
            {QStringLiteral("url"), e->url},
            {QStringLiteral("path"), e->path},
            {QStringLiteral("size"), double(e->size)},
            {QStringLiteral("state"), stateName(e->state)},
        };
        const auto put = [&o](const char *key, const QString &value) {
            if (!value.isEmpty())
                o.insert(QLatin1String(key), value);
        };
        if (e->state != State::Finished)
            o.insert(QStringLiteral("received"), double(e->received));
        if (e->finished.isValid())
            o.insert(QStringLiteral("finished"), e->finished.toString(Qt::ISODate));
        put("sha256", e->sha256);
        if (!e->sha256.isEmpty()) {
            o.insert(QStringLiteral("sha256_size"), double(e->sumStamp.size));
            o.insert(QStringLiteral("sha256_mtime"), double(e->sumStamp.modifiedMs));
        }
        put("reason", e->reason);
        put("published", e->published);
        put("published_from", e->publishedFrom);
        put("verdict", e->verdict());
        put("scan", e->scan);
        put("scan_signatures", e->scanSignatures);
        put("scan_version", e->scanVersion);
        o.insert(QStringLiteral("not_encrypted"), e->notEncrypted);
        list.append(o);
    }
    return QJsonDocument(QJsonObject {{QStringLiteral("format"), kFormat},
                                      {QStringLiteral("downloads"), list}})
        .toJson();
}

void DownloadList::load()
{
    QFile file(filePath());
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize)
        return setAside(QStringLiteral("it could not be read"));
    QString why;
    std::optional<Rows> read = parse(file.readAll(), &why);
    file.close();
    if (!read)
        return setAside(why);
    bool restarted = false;
    for (const auto &e : *read) {
        e->id = m_nextId++;
        restarted |= e->endedByRestart;
    }
    // Read before any view is attached: the rows arrive as one.
    beginResetModel();
    m_entries = std::move(*read);
    endResetModel();
    recheckFiles();
    for (const auto &e : m_entries) {
        // Finished while the last run was ending, before its check was done.
        if (e->state == State::Finished && e->sha256.isEmpty() && !e->fileMissing)
            requestSum(e->id, HashAlgorithm::Sha256);
    }
    if (restarted)
        save();
}

void DownloadList::setAside(const QString &why)
{
    const QString bad = app::SetAside(filePath());
    QString text;
    if (!bad.isEmpty()) {
        text = QStringLiteral("The list of downloads could not be used, because %1. "
                              "It was set aside as %2, and a new list was started.")
                   .arg(why, QDir::toNativeSeparators(bad));
    } else {
        m_keepOff = true;
        text = QStringLiteral("The list of downloads could not be used, because %1, and it "
                              "could not be set aside. It is left as it is, and the downloads "
                              "of this run are not kept.")
                   .arg(why);
    }
    // Said once the download (or the window) that asked for the list is listening.
    QTimer::singleShot(0, this, [this, text] { Q_EMIT problem(text); });
}

void DownloadList::save()
{
    QString error;
    if (m_keepOff) {
        error = QStringLiteral("the damaged list is still in its place");
    } else {
        QDir().mkpath(QFileInfo(filePath()).absolutePath());
        // Written whole to a new file that then takes the old one's place: a crash or a full
        // disk leaves the previous list, never half of one.
        QSaveFile file(filePath());
        const QByteArray bytes = serialize(m_entries);
        if (!file.open(QIODevice::WriteOnly)) {
            error = file.errorString();
        } else {
            // The addresses say where the user has been; the list is the user's alone.
            file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
            if (file.write(bytes) != bytes.size() || !file.commit())
                error = file.errorString();
        }
    }
    if (error.isEmpty()) {
        if (!m_saveProblem.isEmpty()) {
            m_saveProblem.clear();
            Q_EMIT saveProblemChanged(QString());
        }
        return;
    }
    if (!m_saveProblem.isEmpty())
        return;
    m_saveProblem = QStringLiteral("The list of downloads could not be saved in %1 (%2). It is "
                                   "tried again at the next change.")
                        .arg(QDir::toNativeSeparators(filePath()), error);
    std::fprintf(stderr, "Scoutwell: %s\n", qPrintable(m_saveProblem));
    Q_EMIT saveProblemChanged(m_saveProblem);
}

void DownloadList::add(engine::Download *download)
{
    auto e = std::make_unique<Entry>();
    e->id = m_nextId++;
    e->url = download->url();
    e->path = download->path();
    e->live = download;
    e->size = download->totalBytes();
    e->notEncrypted = download->notEncrypted();
    const quint64 id = e->id;
    beginInsertRows(QModelIndex(), 0, 0);
    m_entries.insert(m_entries.begin(), std::move(e));
    endInsertRows();
    connect(download, &engine::Download::changed, this, [this, id] { onDownloadChanged(id); });
    onDownloadChanged(id);
    save();
    readPage(id);
}

void DownloadList::onDownloadChanged(quint64 id)
{
    Entry *e = find(id);
    if (!e || !e->live)
        return;
    engine::Download *d = e->live;
    const State was = e->state;
    e->state = d->state();
    e->received = std::max<qint64>(0, d->receivedBytes());
    if (d->totalBytes() >= 0)
        e->size = d->totalBytes();

    if (e->state == State::Running) {
        const qint64 now = nowMs();
        e->samples.append({now, e->received});
        while (e->samples.size() > 2 && now - e->samples.first().first > kSpeedWindowMs)
            e->samples.removeFirst();
        const auto &[t0, b0] = e->samples.first();
        // In floating point: bytes times a thousand leave a 64-bit count past 9 PB.
        e->speed = now - t0 >= 500 ? double(e->received - b0) / (double(now - t0) / 1000.0) : 0;
    } else {
        e->samples.clear();
        e->speed = 0;
    }

    if (e->state != was || !e->unfinished()) {
        if (e->state == State::Finished) {
            e->finished = QDateTime::currentDateTimeUtc();
            e->size = e->received;
        } else if (e->state == State::Failed) {
            e->reason = d->failReason();
        }
        if (!e->unfinished()) {
            // The row outlives the engine's download.
            disconnect(d, nullptr, this, nullptr);
            e->live = nullptr;
        }
        save();
    }
    rowChanged(id);
    if (e->state == State::Finished && was != State::Finished) {
        Q_EMIT downloadFinished(id);
        requestSum(id, HashAlgorithm::Sha256);
        scan(id);
    }
}

void DownloadList::remove(quint64 id)
{
    const int row = rowOf(id);
    if (row < 0 || m_entries[size_t(row)]->unfinished())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_entries.erase(m_entries.begin() + row);
    endRemoveRows();
    save();
}

void DownloadList::clearFinished()
{
    bool removed = false;
    // From the bottom up, so the rows still to look at keep their numbers.
    for (int row = int(m_entries.size()) - 1; row >= 0; --row) {
        if (m_entries[size_t(row)]->unfinished())
            continue;
        beginRemoveRows(QModelIndex(), row, row);
        m_entries.erase(m_entries.begin() + row);
        endRemoveRows();
        removed = true;
    }
    if (removed)
        save();
}

int DownloadList::unfinishedCount() const
{
    return int(std::count_if(m_entries.begin(), m_entries.end(),
                             [](const auto &e) { return e->unfinished(); }));
}

void DownloadList::cancelAll()
{
    for (const auto &e : m_entries) {
        if (e->unfinished() && e->live)
            e->live->cancel();
    }
}

void DownloadList::recheckFiles()
{
    for (const auto &e : m_entries) {
        const bool missing = e->state == State::Finished && !QFileInfo::exists(e->path);
        if (missing != e->fileMissing) {
            e->fileMissing = missing;
            rowChanged(e->id);
        }
        // Changed since its sum was made: the verdict comes from the file as it is now.
        if (!missing && e->state == State::Finished && !e->sha256.isEmpty()
            && StampOf(e->path) != e->sumStamp)
            requestSum(e->id, HashAlgorithm::Sha256);
    }
}

void DownloadList::requestSum(quint64 id, HashAlgorithm algorithm)
{
    Entry *e = find(id);
    if (!e || e->state != State::Finished)
        return;
    const FileStamp now = StampOf(e->path);
    if (now != e->sumStamp && (!e->sha256.isEmpty() || !e->sums.isEmpty())) {
        // The file is no longer the one the sums were made of.
        e->sha256.clear();
        e->sums.clear();
        rowChanged(id);
    }
    if (!e->sum(algorithm).isEmpty() || e->hashing.contains(int(algorithm)))
        return;
    // Said once; asked again only when the file has changed since.
    if (!e->readError.isEmpty() && e->readErrorStamp == now)
        return;
    e->hashing.insert(int(algorithm));
    const QString path = e->path;
    const std::shared_ptr<std::atomic_bool> stop = m_stop;
    // A file of several gigabytes takes a while: read in the background, so the windows
    // stay live, and hand the result back to this thread.
    m_hashing.start([this, id, path, algorithm, stop, now] {
        const FileDigest digest = downloads::DigestFile(path, algorithm, stop.get());
        if (stop->load())
            return;
        QMetaObject::invokeMethod(this, [this, id, algorithm, digest, now] {
            Entry *e = find(id);
            if (!e)
                return;
            e->hashing.remove(int(algorithm));
            if (digest.hex.isEmpty()) {
                e->fileMissing = !QFileInfo::exists(e->path);
                if (!e->fileMissing) {
                    e->readError = QStringLiteral("Cannot read the file: ") + digest.error;
                    e->readErrorStamp = now;
                }
            } else {
                e->readError.clear();
                if (digest.stamp != e->sumStamp) {
                    e->sha256.clear();
                    e->sums.clear();
                    e->sumStamp = digest.stamp;
                }
                if (algorithm == HashAlgorithm::Sha256)
                    e->sha256 = QString::fromLatin1(digest.hex);
                else
                    e->sums.insert(int(algorithm), digest.hex);
                save();
            }
            rowChanged(id);
        });
    });
}

void DownloadList::scan(quint64 id)
{
    Entry *e = find(id);
    if (!e || e->state != State::Finished)
        return;
    e->scanning = true;
    rowChanged(id);
    const QString path = e->path;
    const QString socket = ClamdSocketPath();
    const std::shared_ptr<std::atomic_bool> stop = m_stop;
    m_hashing.start([this, id, path, socket, stop] {
        ScanResult result;
        QString moved;
        QString why;
        const int fd = OpenRegularFile(path, &why);
        if (fd < 0) {
            result.reason = QStringLiteral("the file could not be opened (%1)").arg(why);
        } else {
            result = ScanDescriptor(fd, socket, stop.get());
            if (result.outcome == ScanResult::Infected) {
                // Never run by a click: no execute bits, and a name that says what it is.
                struct stat st
                {
                };
                if (::fstat(fd, &st) == 0)
                    ::fchmod(fd, st.st_mode & ~mode_t(0111) & 07777);
                QString target = path + QStringLiteral(".infected");
                for (int n = 1; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n)
                    target = path + QStringLiteral(".%1.infected").arg(n);
                if (::rename(QFile::encodeName(path).constData(),
                             QFile::encodeName(target).constData())
                    == 0)
                    moved = target;
            }
            ::close(fd);
        }
        if (stop->load())
            return;
        QMetaObject::invokeMethod(this, [this, id, result, moved] {
            Entry *e = find(id);
            if (!e)
                return;
            e->scanning = false;
            switch (result.outcome) {
            case ScanResult::Clean:
                e->scan = QStringLiteral("clean");
                break;
            case ScanResult::Infected:
                e->scan = QStringLiteral("infected: ") + result.signature;
                break;
            case ScanResult::NotScanned:
                e->scan = QStringLiteral("not scanned: ") + result.reason;
                break;
            }
            e->scanSignatures = result.signatures;
            e->scanVersion = result.version;
            if (!moved.isEmpty()) {
                e->path = moved;
                e->sumStamp = StampOf(moved);
            }
            save();
            rowChanged(id);
        });
    });
}

void DownloadList::readPage(quint64 id)
{
    Entry *e = find(id);
    if (!e || !e->live || e->live->pageUrl().isEmpty())
        return;
    // The names the page may use for the file: the address's and the one it is saved as.
    const QStringList names {QUrl(e->url).fileName(QUrl::FullyDecoded), e->fileName()};
    const QString pageUrl = e->live->pageUrl();
    QPointer<engine::Download> d = e->live;
    d->readPage([this, id, names, pageUrl, d](const QString &text, const QStringList &links) {
        if (const auto sum = FindPublishedSum(text, names))
            return takePublished(id, QString::fromLatin1(sum->hex), pageUrl);
        const QString link = FindSumFileLink(links, names);
        if (link.isEmpty() || !d)
            return;
        d->fetchText(link, [this, id, names, link](const QString &sums) {
            if (const auto sum = FindPublishedSum(sums, names))
                takePublished(id, QString::fromLatin1(sum->hex), link);
        });
    });
}

void DownloadList::takePublished(quint64 id, const QString &text, const QString &from)
{
    Entry *e = find(id);
    // A sum the user typed wins over one found.
    if (!e || !e->typed.isEmpty())
        return;
    e->published = text;
    e->publishedFrom = from;
    save();
    rowChanged(id);
}

void DownloadList::setPublished(quint64 id, const QString &text)
{
    Entry *e = find(id);
    if (!e || e->typed == text)
        return;
    e->typed = text;
    const std::optional<PublishedSum> sum = ParsePublishedSum(text);
    e->published = sum ? QString::fromLatin1(sum->hex) : QString();
    e->publishedFrom.clear();
    save();
    rowChanged(id);
}

} // namespace downloads
