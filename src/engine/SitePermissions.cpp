#include "engine/SitePermissions.h"

#include "app/App.h"
#include "compat/Dialogs.h"
#include "compat/PrivateProfile.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTimer>
#include <QWebEngineLoadingInfo>

namespace engine {

namespace {

constexpr struct
{
    Feature feature;
    const char *key;
    const char *name;
    const char *words;
} kFeatures[] = {
    {QWebEnginePage::Notifications, "notifications", "Notifications", "show notifications"},
    {QWebEnginePage::Geolocation, "location", "Location", "know your location"},
    {QWebEnginePage::MediaVideoCapture, "camera", "Camera", "use your camera"},
    {QWebEnginePage::MediaAudioCapture, "microphone", "Microphone", "use your microphone"},
    {QWebEnginePage::MediaAudioVideoCapture, "camera-microphone", "Camera and microphone",
     "use your camera and microphone"},
    {QWebEnginePage::DesktopVideoCapture, "screen", "Screen", "see your screen"},
    {QWebEnginePage::DesktopAudioVideoCapture, "screen-sound", "Screen and sound",
     "see your screen and hear your computer's sound"},
    {QWebEnginePage::MouseLock, "mouse-lock", "Mouse lock",
     "hide and take over your mouse pointer"},
};

int featureOrder(Feature feature)
{
    for (size_t i = 0; i < std::size(kFeatures); ++i) {
        if (kFeatures[i].feature == feature)
            return int(i);
    }
    return -1;
}

void sortRows(QList<SitePermissions::Row> &rows)
{
    std::sort(rows.begin(), rows.end(), [](const auto &a, const auto &b) {
        return a.site != b.site ? a.site < b.site
                                : featureOrder(a.feature) < featureOrder(b.feature);
    });
}

// Far beyond the answers a person gives; a larger file is not ours.
constexpr qint64 kMaxFileSize = 1024 * 1024;

} // namespace

QString FeatureWords(Feature feature)
{
    const int i = featureOrder(feature);
    return i < 0 ? QString() : QLatin1String(kFeatures[i].words);
}

QString FeatureName(Feature feature)
{
    const int i = featureOrder(feature);
    return i < 0 ? QString() : QLatin1String(kFeatures[i].name);
}

QString FeatureKey(Feature feature)
{
    const int i = featureOrder(feature);
    return i < 0 ? QString() : QLatin1String(kFeatures[i].key);
}

bool FeatureFromKey(const QString &key, Feature *feature)
{
    for (const auto &row : kFeatures) {
        if (key == QLatin1String(row.key)) {
            *feature = row.feature;
            return true;
        }
    }
    return false;
}

QString SiteOf(const QUrl &origin)
{
    if (origin.host().isEmpty())
        return QString();
    QUrl site;
    site.setScheme(origin.scheme().toLower());
    site.setHost(origin.host().toLower());
    const int port = origin.port();
    const bool own = (site.scheme() == QLatin1String("https") && port == 443)
        || (site.scheme() == QLatin1String("http") && port == 80);
    if (port >= 0 && !own)
        site.setPort(port);
    return site.toString();
}

QString PermissionQuestion(const QUrl &origin, Feature feature)
{
    // A site chooses its own host name, as long as it likes: the end, which says whose site it
    // is, stays in sight, and the words of what it asks for are never pushed out of the bar.
    constexpr qsizetype kMostShown = 60;
    QString host = origin.host();
    if (host.size() > kMostShown)
        host = QChar(0x2026) + host.right(kMostShown - 1);
    return host + QStringLiteral(" wants to ") + FeatureWords(feature);
}

SitePermissions &SitePermissions::instance()
{
    static SitePermissions *store = [] {
        auto *s = new SitePermissions;
        const QString report = s->load();
        if (!report.isEmpty()) {
            // Not from inside the engine's request that made the store.
            QTimer::singleShot(
                0, [report] { compat::MsgBox(report, compat::vbExclamation, app::MainCaption()); });
        }
        return s;
    }();
    return *store;
}

QString SitePermissions::filePath()
{
    return app::DataFolder() + QStringLiteral("/permissions.ini");
}

QString SitePermissions::load()
{
    m_keepOff = false;
    const QString path = filePath();
    QFile file(path);
    if (!file.exists()) {
        beginResetModel();
        m_rows.clear();
        endResetModel();
        return {};
    }
    QList<Row> read;
    bool damaged = !file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize;
    const QByteArray bytes = damaged ? QByteArray() : file.readAll();
    file.close();
    damaged = damaged || bytes.contains('\0') || !compat::IsValidUtf8(bytes);
    // Only what the program writes is taken: "[site]" and "feature=allow|deny" lines. A half
    // file from elsewhere could hold an "allow" the user never gave.
    QString site;
    for (const QString &raw : damaged ? QStringList() : QString::fromUtf8(bytes).split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            site = line.mid(1, line.size() - 2).trimmed();
            if (SiteOf(QUrl(site)) != site) {
                damaged = true;
                break;
            }
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        Feature feature = QWebEnginePage::Notifications;
        const QString value = line.mid(eq + 1).trimmed();
        if (site.isEmpty() || eq <= 0 || !FeatureFromKey(line.left(eq).trimmed(), &feature)
            || (value != QLatin1String("allow") && value != QLatin1String("deny"))) {
            damaged = true;
            break;
        }
        read.removeIf([&](const Row &r) { return r.site == site && r.feature == feature; });
        read.append({site, feature, value == QLatin1String("allow")});
    }
    QString report;
    if (damaged) {
        read.clear();
        const QString aside = app::SetAside(path);
        if (!aside.isEmpty()) {
            report = QStringLiteral("The site permissions you gave, %1, could not be read. The "
                                    "file was set aside as %2; sites will ask again.")
                         .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(aside));
        } else {
            m_keepOff = true;
            report = QStringLiteral("The site permissions you gave, %1, could not be read, nor "
                                    "set aside. Sites will ask again, and your answers are not "
                                    "kept until the file is mended or removed.")
                         .arg(QDir::toNativeSeparators(path));
        }
    }
    sortRows(read);
    beginResetModel();
    m_rows = read;
    endResetModel();
    return report;
}

SitePermissions::Answer SitePermissions::answer(const QUrl &origin, Feature feature) const
{
    const QString site = SiteOf(origin);
    for (const Row &row : m_rows) {
        if (row.site == site && row.feature == feature)
            return row.allowed ? Allowed : Denied;
    }
    return Unanswered;
}

bool SitePermissions::remember(const QUrl &origin, Feature feature, bool allowed, QString *error)
{
    const QString site = SiteOf(origin);
    if (site.isEmpty() || featureOrder(feature) < 0) {
        if (error)
            *error = QStringLiteral("the request names no site");
        return false;
    }
    QList<Row> rows = m_rows;
    const Row row {site, feature, allowed};
    const auto at = std::find_if(rows.begin(), rows.end(), [&](const Row &r) {
        return r.site == site && r.feature == feature;
    });
    if (at != rows.end()) {
        at->allowed = allowed;
        if (!save(rows, error))
            return false;
        const int i = int(at - rows.begin());
        m_rows[i].allowed = allowed;
        Q_EMIT dataChanged(index(i, 0), index(i, ColumnCount - 1));
        return true;
    }
    rows.append(row);
    sortRows(rows);
    if (!save(rows, error))
        return false;
    const int i = int(rows.indexOf(row));
    beginInsertRows(QModelIndex(), i, i);
    m_rows.insert(i, row);
    endInsertRows();
    return true;
}

bool SitePermissions::forget(const QString &site, Feature feature, QString *error)
{
    const auto at = std::find_if(m_rows.cbegin(), m_rows.cend(), [&](const Row &r) {
        return r.site == site && r.feature == feature;
    });
    if (at == m_rows.cend())
        return true;
    const int i = int(at - m_rows.cbegin());
    QList<Row> rows = m_rows;
    rows.removeAt(i);
    if (!save(rows, error))
        return false;
    beginRemoveRows(QModelIndex(), i, i);
    m_rows.removeAt(i);
    endRemoveRows();
    return true;
}

bool SitePermissions::save(const QList<Row> &rows, QString *error) const
{
    QString why;
    if (m_keepOff) {
        why = QStringLiteral("the damaged file is still in its place");
    } else {
        QDir().mkpath(QFileInfo(filePath()).absolutePath());
        QSaveFile file(filePath());
        QByteArray text;
        QString site;
        for (const Row &row : rows) {
            if (row.site != site) {
                site = row.site;
                text += (text.isEmpty() ? "[" : "\n[") + site.toUtf8() + "]\n";
            }
            text += FeatureKey(row.feature).toUtf8() + (row.allowed ? "=allow\n" : "=deny\n");
        }
        if (!file.open(QIODevice::WriteOnly))
            why = file.errorString();
        // The sites say where the user has been: the file is the user's alone.
        else if (!file.setPermissions(QFile::ReadOwner | QFile::WriteOwner)
                 || file.write(text) != text.size() || !file.commit())
            why = file.errorString();
    }
    if (!why.isEmpty() && error)
        *error = why;
    return why.isEmpty();
}

int SitePermissions::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int SitePermissions::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SitePermissions::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size() || role != Qt::DisplayRole)
        return QVariant();
    const Row &row = m_rows.at(index.row());
    switch (index.column()) {
    case SiteColumn:
        return row.site;
    case PermissionColumn:
        return FeatureName(row.feature);
    case AnswerColumn:
        return row.allowed ? QStringLiteral("Allowed") : QStringLiteral("Denied");
    default:
        return QVariant();
    }
}

QVariant SitePermissions::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char *const titles[] = {"Site", "Permission", "Answer"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0
        || section >= ColumnCount)
        return QVariant();
    return QLatin1String(titles[section]);
}

bool PermissionQueue::add(const Request &request)
{
    if (m_waiting.contains(request))
        return false;
    m_waiting.append(request);
    return m_waiting.size() == 1;
}

bool PermissionQueue::cancel(const Request &request)
{
    const qsizetype at = m_waiting.indexOf(request);
    if (at < 0)
        return false;
    m_waiting.removeAt(at);
    return true;
}

PagePermissions::PagePermissions(QWebEnginePage *page) : QObject(page), m_page(page)
{
    connect(page, &QWebEnginePage::featurePermissionRequested, this, &PagePermissions::requested);
    connect(page, &QWebEnginePage::featurePermissionRequestCanceled, this,
            [this](const QUrl &origin, Feature feature) {
                if (m_queue.cancel({origin, feature}))
                    askNext();
            });
    connect(page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo &info) {
        if (info.status() != QWebEngineLoadingInfo::LoadStartedStatus || m_queue.isEmpty())
            return;
        // Refused, not kept: a page that is replaced has no use for the answer, and one that
        // stays (the link was a download) gets one instead of waiting for ever.
        while (!m_queue.isEmpty()) {
            const PermissionQueue::Request r = m_queue.takeFirst();
            m_page->setFeaturePermission(r.origin, r.feature,
                                         QWebEnginePage::PermissionDeniedByUser);
        }
        askNext();
    });
}

void PagePermissions::requested(const QUrl &origin, Feature feature)
{
    // A feature the program has no words for cannot be asked about.
    if (FeatureWords(feature).isEmpty() || SiteOf(origin).isEmpty()) {
        m_page->setFeaturePermission(origin, feature, QWebEnginePage::PermissionDeniedByUser);
        return;
    }
    switch (SitePermissions::instance().answer(origin, feature)) {
    case SitePermissions::Allowed:
        m_page->setFeaturePermission(origin, feature, QWebEnginePage::PermissionGrantedByUser);
        return;
    case SitePermissions::Denied:
        m_page->setFeaturePermission(origin, feature, QWebEnginePage::PermissionDeniedByUser);
        return;
    case SitePermissions::Unanswered:
        m_queue.add({origin, feature});
        askNext();
        return;
    }
}

void PagePermissions::askNext()
{
    if (m_queue.isEmpty()) {
        Q_EMIT question(QString(), 0);
        return;
    }
    const PermissionQueue::Request &r = m_queue.first();
    Q_EMIT question(PermissionQuestion(r.origin, r.feature), int(m_queue.size() - 1));
}

void PagePermissions::answer(bool allow)
{
    if (m_queue.isEmpty())
        return;
    const PermissionQueue::Request r = m_queue.takeFirst();
    m_page->setFeaturePermission(r.origin, r.feature,
                                 allow ? QWebEnginePage::PermissionGrantedByUser
                                       : QWebEnginePage::PermissionDeniedByUser);
    QString error;
    const bool kept = SitePermissions::instance().remember(r.origin, r.feature, allow, &error);
    askNext();
    if (!kept)
        compat::MsgBox(QStringLiteral("Your answer holds for this page, but it could not be kept "
                                      "in %1 (%2); the site will ask again.")
                           .arg(QDir::toNativeSeparators(SitePermissions::filePath()), error),
                       compat::vbExclamation, app::MainCaption());
}

} // namespace engine
