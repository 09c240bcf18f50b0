#include "downloads/DownloadList.h"

#include "compat/Dialogs.h"

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

namespace downloads {

using downloads::HashAlgorithm;

namespace {

// Marks the file as this program's list, so a foreign JSON file is not taken for one.
const QLatin1String kFormat("ScoutwellV3 downloads");
// Larger than any list a person keeps; anything bigger is not ours.
constexpr qint64 kMaxFileSize = 16 << 20;
// The speed is taken over the bytes of the last few seconds.
constexpr qint64 kSpeedWindowMs = 3000;

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
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/ScoutwellV3/downloads.json");
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
}

void DownloadList::load()
{
    QFile file(filePath());
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize)
        return setAside(QStringLiteral("it could not be read"));
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    file.close();
    const QJsonObject root = doc.object();
    if (error.error != QJsonParseError::NoError || root.value(QLatin1String("format")) != kFormat
        || !root.value(QLatin1String("downloads")).isArray())
        return setAside(QStringLiteral("it is damaged or not a list of downloads"));

    std::vector<std::unique_ptr<Entry>> read;
    bool restarted = false;
    for (const QJsonValue &v : root.value(QLatin1String("downloads")).toArray()) {
        const QJsonObject o = v.toObject();
        const std::optional<State> state = stateNamed(o.value(QLatin1String("state")).toString());
        const QString url = o.value(QLatin1String("url")).toString();
        const QString path = o.value(QLatin1String("path")).toString();
        if (!state || url.isEmpty() || path.isEmpty())
            return setAside(QStringLiteral("it is damaged or not a list of downloads"));
        auto e = std::make_unique<Entry>();
        e->id = m_nextId++;
        e->url = url;
        e->path = path;
        e->size = qint64(o.value(QLatin1String("size")).toDouble(-1));
        e->received = qint64(o.value(QLatin1String("received")).toDouble(0));
        e->finished
            = QDateTime::fromString(o.value(QLatin1String("finished")).toString(), Qt::ISODate);
        e->sha256 = o.value(QLatin1String("sha256")).toString();
        e->state = *state;
        e->reason = o.value(QLatin1String("reason")).toString();
        if (e->unfinished()) {
            // The program ended (or was ended) while it ran; the engine cannot pick it up.
            e->state = State::Failed;
            e->reason = QStringLiteral("The program ended before the download finished");
            restarted = true;
        }
        read.push_back(std::move(e));
    }
    // Read before any view is attached: the rows arrive as one.
    beginResetModel();
    m_entries = std::move(read);
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
    const QString path = filePath();
    const QString bad = path + QStringLiteral(".bad");
    QFile::remove(bad);
    QFile::rename(path, bad);
    // Said once the download (or the window) that asked for the list is listening.
    QTimer::singleShot(0, this, [this, bad, why] {
        Q_EMIT problem(QStringLiteral("The list of downloads could not be used, because %1. "
                                      "It was set aside as %2, and a new list was started.")
                           .arg(why, QDir::toNativeSeparators(bad)));
    });
}

void DownloadList::save()
{
    QJsonArray rows;
    for (const auto &e : m_entries) {
        QJsonObject o {
            {QStringLiteral("url"), e->url},
            {QStringLiteral("path"), e->path},
            {QStringLiteral("size"), double(e->size)},
            {QStringLiteral("state"), stateName(e->state)},
        };
        if (e->state != State::Finished)
            o.insert(QStringLiteral("received"), double(e->received));
        if (e->finished.isValid())
            o.insert(QStringLiteral("finished"), e->finished.toString(Qt::ISODate));
        if (!e->sha256.isEmpty())
            o.insert(QStringLiteral("sha256"), e->sha256);
        if (!e->reason.isEmpty())
            o.insert(QStringLiteral("reason"), e->reason);
        rows.append(o);
    }
    const QJsonObject root {{QStringLiteral("format"), kFormat},
                            {QStringLiteral("downloads"), rows}};
    QDir().mkpath(QFileInfo(filePath()).absolutePath());
    // Written whole to a new file that then takes the old one's place: a crash or a full
    // disk leaves the previous list, never half of one.
    QSaveFile file(filePath());
    if (!file.open(QIODevice::WriteOnly))
        return;
    // The addresses say where the user has been; the list is the user's alone.
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    file.write(QJsonDocument(root).toJson());
    file.commit();
}

void DownloadList::add(engine::Download *download)
{
    auto e = std::make_unique<Entry>();
    e->id = m_nextId++;
    e->url = download->url();
    e->path = download->path();
    e->live = download;
    e->size = download->totalBytes();
    const quint64 id = e->id;
    beginInsertRows(QModelIndex(), 0, 0);
    m_entries.insert(m_entries.begin(), std::move(e));
    endInsertRows();
    connect(download, &engine::Download::changed, this, [this, id] { onDownloadChanged(id); });
    onDownloadChanged(id);
    save();
}

void DownloadList::onDownloadChanged(quint64 id)
{
    Entry *e = find(id);
    if (!e || !e->live)
        return;
    engine::Download *d = e->live;
    const State was = e->state;
    e->state = d->state();
    e->received = d->receivedBytes();
    if (d->totalBytes() >= 0)
        e->size = d->totalBytes();

    if (e->state == State::Running) {
        const qint64 now = nowMs();
        e->samples.append({now, e->received});
        while (e->samples.size() > 2 && now - e->samples.first().first > kSpeedWindowMs)
            e->samples.removeFirst();
        const auto &[t0, b0] = e->samples.first();
        e->speed = now - t0 >= 500 ? double(e->received - b0) * 1000.0 / double(now - t0) : 0;
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
    }
}

void DownloadList::requestSum(quint64 id, HashAlgorithm algorithm)
{
    Entry *e = find(id);
    if (!e || e->state != State::Finished || !e->sum(algorithm).isEmpty()
        || e->hashing.contains(int(algorithm)))
        return;
    e->hashing.insert(int(algorithm));
    const QString path = e->path;
    const std::shared_ptr<std::atomic_bool> stop = m_stop;
    // A file of several gigabytes takes a while: read in the background, so the windows
    // stay live, and hand the result back to this thread.
    m_hashing.start([this, id, path, algorithm, stop] {
        const QByteArray hex = downloads::HashFile(path, algorithm, stop.get());
        if (stop->load())
            return;
        QMetaObject::invokeMethod(this, [this, id, algorithm, hex] {
            Entry *e = find(id);
            if (!e)
                return;
            e->hashing.remove(int(algorithm));
            if (hex.isEmpty()) {
                e->fileMissing = !QFileInfo::exists(e->path);
            } else if (algorithm == HashAlgorithm::Sha256) {
                e->sha256 = QString::fromLatin1(hex);
                save();
            } else {
                e->sums.insert(int(algorithm), hex);
            }
            rowChanged(id);
        });
    });
}

void DownloadList::setPublished(quint64 id, const QString &text)
{
    if (Entry *e = find(id); e && e->published != text) {
        e->published = text;
        rowChanged(id);
    }
}

} // namespace downloads
