#include "guard/ListStore.h"

#include "guard/FilterEngine.h"
#include "guard/RequestGuard.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <vector>

namespace guard {

namespace {

// The folder where Debian's package installs the lists.
#define PACKAGED "/usr/share/chromium/extensions/ublock-origin/assets/"

// clang-format off
constexpr struct { const char *id, *name, *home, *packaged; bool warns; } kDefaults[] = {
    {"easylist",    "EasyList",          "https://easylist.to/easylist/easylist.txt",        PACKAGED "thirdparties/easylist/easylist.txt", false},
    {"easyprivacy", "EasyPrivacy",       "https://easylist.to/easylist/easyprivacy.txt",     PACKAGED "thirdparties/easylist/easyprivacy.txt", false},
    {"badware",     "Badware risks",     "https://ublockorigin.github.io/uAssets/filters/badware.txt", PACKAGED "ublock/badware.min.txt", true},
    {"malware",     "Malware addresses", "https://malware-filter.gitlab.io/urlhaus-filter/urlhaus-filter-online.txt", PACKAGED "thirdparties/urlhaus-filter/urlhaus-filter-online.txt", true},
};
// clang-format on

// Raised whenever the index's layout or what goes into it changes, so an older index is
// never read as a current one.
constexpr int kIndexVersion = 1;
constexpr char kIndexMagic[] = "ScoutwellGuardIndex";

QString cacheName(const QString &id)
{
    if (id.startsWith(QLatin1String("url:")))
        return QStringLiteral("added-")
            + QString::fromLatin1(
                   QCryptographicHash::hash(id.toUtf8(), QCryptographicHash::Sha1).toHex().left(16))
            + QStringLiteral(".txt");
    return id + QStringLiteral(".txt");
}

QString dateText(const QDateTime &when)
{
    return when.isValid() ? QLocale().toString(when.toLocalTime(), QLocale::ShortFormat)
                          : QStringLiteral("never");
}

struct BuildInput
{
    int row;
    QString path;
};

struct BuildResult
{
    std::shared_ptr<const FilterEngine> engine;
    QString error;
    bool fromCache = false;
};

// Off the UI thread: the ready index when it was made from exactly these files, else the
// lists parsed, compiled, stored and loaded.
BuildResult build(const std::vector<BuildInput> &inputs, const QString &indexPath)
{
    BuildResult result;
    QByteArray key = QByteArray(kIndexMagic) + ' ' + QByteArray::number(kIndexVersion) + '\n';
    for (const BuildInput &in : inputs) {
        const QFileInfo f(in.path);
        key += in.path.toUtf8() + '\t' + QByteArray::number(f.size()) + '\t'
            + QByteArray::number(f.lastModified().toMSecsSinceEpoch()) + '\n';
    }
    const QByteArray header = QByteArray(kIndexMagic) + ' ' + QByteArray::number(kIndexVersion)
        + ' ' + QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex() + '\n';
    QFile index(indexPath);
    if (index.open(QIODevice::ReadOnly)) {
        if (index.read(header.size()) == header) {
            const QByteArray rest = index.readAll();
            std::string error;
            std::unique_ptr<FilterEngine> e
                = FilterEngine::load(std::string(rest.constData(), rest.size()), &error);
            if (e && e->listCount() == int(inputs.size())) {
                result.engine = std::move(e);
                result.fromCache = true;
                return result;
            }
        }
        index.close();
    }
    FilterCompiler compiler;
    for (const BuildInput &in : inputs) {
        QFile f(in.path);
        QByteArray text;
        if (f.open(QIODevice::ReadOnly))
            text = f.readAll();
        compiler.addList(std::string_view(text.constData(), text.size()));
    }
    std::string bytes = compiler.compile();
    QDir().mkpath(QFileInfo(indexPath).path());
    QSaveFile out(indexPath);
    if (out.open(QIODevice::WriteOnly)) {
        out.write(header);
        out.write(bytes.data(), qint64(bytes.size()));
        out.commit();
    }
    std::string error;
    std::unique_ptr<FilterEngine> e = FilterEngine::load(std::move(bytes), &error);
    if (!e)
        result.error = QString::fromStdString(error);
    result.engine = std::move(e);
    return result;
}

} // namespace

ListStore *ListStore::instance()
{
    // Never destroyed: an index build or a list check still running when the program ends
    // reports back to it, and the profile may hold its interceptor to the last.
    static ListStore *store = new ListStore();
    return store;
}

ListStore::ListStore() : m_interceptor(new RequestGuard(this)), m_refresh(new QTimer(this))
{
    // Subscriptions are looked at hourly; one is fetched when four days have passed.
    m_refresh->setInterval(3600 * 1000);
    connect(m_refresh, &QTimer::timeout, this, &ListStore::checkAges);
}

QString ListStore::cacheFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
        + QStringLiteral("/ScoutwellV3/lists");
}

QString ListStore::userFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/ScoutwellV3/lists");
}

void ListStore::start()
{
    if (m_started)
        return;
    m_started = true;
    m_settingsProblem = m_settings.load();
    readLists();
    rebuild();
    m_refresh->start();
    // The first look waits until the program has settled, so a start never shares the
    // network with list downloads.
    QTimer::singleShot(30000, this, &ListStore::checkAges);
}

void ListStore::readLists()
{
    QList<GuardList> lists;
    for (const auto &d : kDefaults) {
        GuardList l;
        l.id = QLatin1String(d.id);
        l.name = QLatin1String(d.name);
        l.source = QLatin1String(d.home);
        l.packaged = QLatin1String(d.packaged);
        l.kind = GuardList::Default;
        l.warns = d.warns;
        lists.append(l);
    }
    for (const QString &address : m_settings.addedAddresses) {
        GuardList l;
        l.id = QStringLiteral("url:") + address;
        l.name = QUrl(address).fileName().isEmpty() ? address : QUrl(address).fileName();
        l.source = address;
        l.kind = GuardList::Added;
        lists.append(l);
    }
    const QDir user(userFolder());
    for (const QFileInfo &f :
         user.entryInfoList({QStringLiteral("*.txt")}, QDir::Files | QDir::Readable, QDir::Name)) {
        GuardList l;
        l.id = QStringLiteral("file:") + f.fileName();
        l.name = f.completeBaseName();
        l.source = f.absoluteFilePath();
        l.kind = GuardList::UserFile;
        lists.append(l);
    }
    // What is known of a list stays with it when the table is read again.
    for (GuardList &l : lists) {
        l.enabled = !m_settings.listsOff.contains(l.id);
        const int old = rowOf(l.id);
        if (old >= 0) {
            l.understood = m_lists[old].understood;
            l.skipped = m_lists[old].skipped;
            l.state = m_lists[old].state;
            l.fetching = m_lists[old].fetching;
        }
        const QString file = textFile(l);
        l.updated = file.isEmpty() ? QDateTime() : QFileInfo(file).lastModified();
    }
    m_lists = lists;
    Q_EMIT listsChanged();
}

int ListStore::rowOf(const QString &id) const
{
    for (int i = 0; i < m_lists.size(); ++i)
        if (m_lists[i].id == id)
            return i;
    return -1;
}

QString ListStore::textFile(const GuardList &list) const
{
    if (list.kind == GuardList::UserFile)
        return list.source;
    const QString cached = cacheFolder() + QLatin1Char('/') + cacheName(list.id);
    if (QFileInfo::exists(cached))
        return cached;
    if (!list.packaged.isEmpty() && QFileInfo::exists(list.packaged))
        return list.packaged;
    return {};
}

void ListStore::rebuild()
{
    if (m_building) {
        m_rebuildAgain = true;
        return;
    }
    std::vector<BuildInput> inputs;
    QList<int> rows;
    for (int i = 0; i < m_lists.size(); ++i) {
        GuardList &l = m_lists[i];
        if (!l.enabled) {
            l.state = QStringLiteral("Off");
            continue;
        }
        const QString file = textFile(l);
        if (file.isEmpty()) {
            if (!l.fetching)
                l.state = QStringLiteral("Not downloaded yet");
            continue;
        }
        inputs.push_back({i, file});
        rows.append(i);
    }
    m_building = true;
    m_indexState = QStringLiteral("Building the index of %1 list(s); pages load unfiltered "
                                  "until it is ready")
                       .arg(rows.size());
    Q_EMIT stateChanged();
    const quint64 generation = ++m_generation;
    const QString indexPath = cacheFolder() + QStringLiteral("/index.bin");
    QThread *worker = QThread::create([this, inputs, rows, indexPath, generation] {
        BuildResult r = build(inputs, indexPath);
        QMetaObject::invokeMethod(
            this,
            [this, generation, r, rows] {
                onBuilt(generation, r.engine, rows, r.error, r.fromCache);
            },
            Qt::QueuedConnection);
    });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->setObjectName(QStringLiteral("guard index"));
    worker->start(QThread::LowPriority);
}

void ListStore::onBuilt(quint64 generation, std::shared_ptr<const FilterEngine> engine,
                        const QList<int> &rows, const QString &error, bool fromCache)
{
    m_building = false;
    if (generation == m_generation) {
        if (engine) {
            m_engine = engine;
            m_engineRows = rows;
            for (int i = 0; i < rows.size(); ++i) {
                GuardList &l = m_lists[rows[i]];
                const ListStats stats = engine->listStats(i);
                l.understood = stats.understood;
                l.skipped = stats.skipped;
                // What the last fetch said stays until the next one.
                if (!l.fetching
                    && (l.state.isEmpty() || l.state == QLatin1String("Off")
                        || l.state == QLatin1String("Not downloaded yet")))
                    l.state = QStringLiteral("In use");
            }
            m_indexState
                = QStringLiteral("Ready: %1 rules from %2 list(s), %3 MB%4")
                      .arg(engine->ruleCount())
                      .arg(rows.size())
                      .arg(double(engine->memoryBytes()) / (1 << 20), 0, 'f', 1)
                      .arg(fromCache ? QStringLiteral(", read from the saved index") : QString());
        } else {
            m_indexState = QStringLiteral("The index could not be built: ") + error;
        }
        publish();
        Q_EMIT listsChanged();
        Q_EMIT stateChanged();
    }
    if (std::exchange(m_rebuildAgain, false))
        rebuild();
}

void ListStore::publish()
{
    auto s = std::make_shared<GuardSnapshot>();
    if (m_settings.enabled && m_engine) {
        s->engine = m_engine;
        for (int row : std::as_const(m_engineRows)) {
            s->listNames.append(m_lists.value(row).name);
            s->warns.push_back(m_lists.value(row).warns);
        }
    }
    s->sitesOff = m_settings.sitesOff;
    s->passedOnce = m_passedOnce;
    m_interceptor->setSnapshot(s);
}

void ListStore::saveSettings()
{
    QString error;
    m_settingsProblem.clear();
    if (!m_settings.save(&error))
        m_settingsProblem = QStringLiteral("guard.ini could not be written: ") + error;
    Q_EMIT stateChanged();
}

void ListStore::setEnabled(bool on)
{
    if (m_settings.enabled == on)
        return;
    m_settings.enabled = on;
    saveSettings();
    publish();
    Q_EMIT enabledChanged(on);
}

bool ListStore::blockingOn(const QString &host) const
{
    return !m_settings.sitesOff.contains(host);
}

void ListStore::setBlockingOn(const QString &host, bool on)
{
    if (host.isEmpty() || blockingOn(host) == on)
        return;
    if (on)
        m_settings.sitesOff.remove(host);
    else
        m_settings.sitesOff.insert(host);
    saveSettings();
    publish();
}

void ListStore::setListEnabled(int row, bool on)
{
    if (row < 0 || row >= m_lists.size() || m_lists[row].enabled == on)
        return;
    m_lists[row].enabled = on;
    if (on)
        m_settings.listsOff.remove(m_lists[row].id);
    else
        m_settings.listsOff.insert(m_lists[row].id);
    saveSettings();
    if (on && textFile(m_lists[row]).isEmpty())
        fetch(row);
    rebuild();
    Q_EMIT listsChanged();
}

void ListStore::passOnce(const QString &address)
{
    m_passedOnce.insert(address);
    publish();
}

void ListStore::checkAges()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (int i = 0; i < m_lists.size(); ++i) {
        const GuardList &l = m_lists[i];
        if (l.kind == GuardList::UserFile || !l.enabled || l.fetching)
            continue;
        // A list never fetched counts from when it was first used from Debian's copy.
        const QString stamp
            = cacheFolder() + QLatin1Char('/') + cacheName(l.id) + QStringLiteral(".checked");
        QFileInfo checked(stamp);
        if (!checked.exists() && !textFile(l).isEmpty()) {
            QDir().mkpath(cacheFolder());
            QFile f(stamp);
            f.open(QIODevice::WriteOnly);
            continue;
        }
        if (!checked.exists() || checked.lastModified().secsTo(now) >= kRefreshSecs)
            fetch(i);
    }
}

void ListStore::updateNow()
{
    for (int i = 0; i < m_lists.size(); ++i)
        if (m_lists[i].kind != GuardList::UserFile && m_lists[i].enabled)
            fetch(i);
    // The user's own files may have changed too.
    readLists();
    rebuild();
}

void ListStore::fetch(int row)
{
    GuardList &l = m_lists[row];
    if (l.fetching)
        return;
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    QNetworkRequest request {QUrl(l.source)};
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(60000);
    const QString cached = cacheFolder() + QLatin1Char('/') + cacheName(l.id);
    const QString current = textFile(l);
    if (!current.isEmpty())
        request.setHeader(QNetworkRequest::IfModifiedSinceHeader,
                          QFileInfo(current).lastModified().toUTC());
    l.fetching = true;
    l.state = QStringLiteral("Downloading ...");
    Q_EMIT listsChanged();
    QNetworkReply *reply = m_network->get(request);
    const QString id = l.id;
    connect(reply, &QNetworkReply::finished, this, [this, id, reply] { fetched(id, reply); });
}

void ListStore::fetched(const QString &id, QNetworkReply *reply)
{
    reply->deleteLater();
    const int row = rowOf(id);
    if (row < 0)
        return;
    GuardList &l = m_lists[row];
    l.fetching = false;
    const QString cached = cacheFolder() + QLatin1Char('/') + cacheName(id);
    QDir().mkpath(cacheFolder());
    const auto stampChecked = [&] {
        QFile f(cached + QStringLiteral(".checked"));
        if (f.open(QIODevice::WriteOnly))
            f.setFileTime(QDateTime::currentDateTimeUtc(), QFileDevice::FileModificationTime);
    };
    const QString kept = textFile(l).isEmpty()
        ? QStringLiteral("no copy yet")
        : QStringLiteral("keeping the copy of ") + dateText(l.updated);
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status == 304) {
        stampChecked();
        l.state = QStringLiteral("In use, unchanged since ") + dateText(l.updated);
        Q_EMIT listsChanged();
        return;
    }
    if (reply->error() != QNetworkReply::NoError || status != 200) {
        l.state = QStringLiteral("Update failed: %1; %2").arg(reply->errorString(), kept);
        Q_EMIT listsChanged();
        return;
    }
    const QByteArray text = reply->readAll();
    QDateTime published = reply->header(QNetworkRequest::LastModifiedHeader).toDateTime();
    if (!published.isValid())
        published = QDateTime::currentDateTimeUtc();
    // A page of the site instead of the list (a login, a notice) holds no filters: it is
    // not taken, and the last good copy stays.
    l.state = QStringLiteral("Checking the download ...");
    Q_EMIT listsChanged();
    QThread *worker = QThread::create([this, id, text, published, cached, kept] {
        FilterCompiler c;
        const int n = c.addList(std::string_view(text.constData(), text.size()));
        const ListStats stats = c.stats(n);
        QMetaObject::invokeMethod(
            this,
            [=, this] {
                const int row = rowOf(id);
                if (row < 0)
                    return;
                GuardList &l = m_lists[row];
                if (stats.understood == 0) {
                    l.state
                        = QStringLiteral("Update failed: the download holds no filters; ") + kept;
                    Q_EMIT listsChanged();
                    return;
                }
                QSaveFile out(cached);
                if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size()
                    || !out.commit()) {
                    l.state = QStringLiteral("Update failed: %1; %2").arg(out.errorString(), kept);
                    Q_EMIT listsChanged();
                    return;
                }
                QFile f(cached);
                if (f.open(QIODevice::ReadWrite))
                    f.setFileTime(published, QFileDevice::FileModificationTime);
                QFile stamp(cached + QStringLiteral(".checked"));
                if (stamp.open(QIODevice::WriteOnly))
                    stamp.setFileTime(QDateTime::currentDateTimeUtc(),
                                      QFileDevice::FileModificationTime);
                l.updated = published;
                l.state = QStringLiteral("Updated ") + dateText(QDateTime::currentDateTime());
                rebuild();
            },
            Qt::QueuedConnection);
    });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start(QThread::LowPriority);
}

bool ListStore::addList(const QString &addressOrFile, QString *error)
{
    const QString text = addressOrFile.trimmed();
    const QUrl url(text);
    if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) {
        if (url.host().isEmpty()) {
            *error = QStringLiteral("The address has no host name.");
            return false;
        }
        const QString address = url.toString(QUrl::FullyEncoded);
        if (m_settings.addedAddresses.contains(address)) {
            *error = QStringLiteral("That list is in the table already.");
            return false;
        }
        m_settings.addedAddresses.append(address);
        saveSettings();
        readLists();
        fetch(rowOf(QStringLiteral("url:") + address));
        return true;
    }
    const QString path = url.isLocalFile() ? url.toLocalFile() : text;
    const QFileInfo f(path);
    if (!f.isFile() || !f.isReadable()) {
        *error = QStringLiteral("Neither a web address nor a file that can be read: ") + text;
        return false;
    }
    QDir().mkpath(userFolder());
    QString name = f.completeBaseName() + QStringLiteral(".txt");
    for (int n = 2; QFileInfo::exists(userFolder() + QLatin1Char('/') + name); ++n)
        name = f.completeBaseName() + QStringLiteral(" (%1).txt").arg(n);
    if (!QFile::copy(path, userFolder() + QLatin1Char('/') + name)) {
        *error = QStringLiteral("The file could not be copied into ") + userFolder();
        return false;
    }
    readLists();
    rebuild();
    return true;
}

bool ListStore::removeList(int row, QString *error)
{
    if (row < 0 || row >= m_lists.size())
        return false;
    const GuardList l = m_lists[row];
    if (l.kind == GuardList::Default) {
        *error = QStringLiteral("A default list can be switched off with its check box, but not "
                                "removed.");
        return false;
    }
    if (l.kind == GuardList::Added) {
        m_settings.addedAddresses.removeAll(l.source);
        m_settings.listsOff.remove(l.id);
        saveSettings();
        QFile::remove(cacheFolder() + QLatin1Char('/') + cacheName(l.id));
        QFile::remove(cacheFolder() + QLatin1Char('/') + cacheName(l.id)
                      + QStringLiteral(".checked"));
    } else {
        QString target = l.source + QStringLiteral(".removed");
        for (int n = 2; QFileInfo::exists(target); ++n)
            target = l.source + QStringLiteral(".removed%1").arg(n);
        if (!QFile::rename(l.source, target)) {
            *error = QStringLiteral("The file could not be renamed: ") + l.source;
            return false;
        }
    }
    readLists();
    rebuild();
    return true;
}

} // namespace guard
