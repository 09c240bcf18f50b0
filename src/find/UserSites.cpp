#include "find/UserSites.h"

#include "app/App.h"
#include "compat/Dialogs.h"
#include "compat/PrivateProfile.h"
#include "find/EngineTable.h"
#include "find/SiteSearchTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

namespace usersites {

namespace {

constexpr char kKeyword[] = "{keyword}";
// Far beyond any list a person keeps; a larger file is not a sites file.
constexpr qint64 kMaxFileSize = 1024 * 1024;

std::span<const SearchRow> designedTable(List list)
{
    if (list == List::Freeware)
        return SiteSearchTable;
    return EngineTable;
}

QString designedPrompt(List list)
{
    return list == List::Freeware ? QStringLiteral("Freeware Site")
                                  : QStringLiteral("Search Engine");
}

} // namespace

QString SectionName(List list)
{
    return list == List::Freeware ? QStringLiteral("Freeware sites")
                                  : QStringLiteral("Search engines");
}

QString SitesFile()
{
    return app::DataFolder() + QStringLiteral("/sites.ini");
}

QString SiteAddress(const QString &address, const QString &keyword)
{
    QString out = address;
    return out.replace(QLatin1String(kKeyword),
                       QString::fromLatin1(QUrl::toPercentEncoding(keyword)));
}

QString CheckSite(List list, const Site &site, const QList<Site> &rows, qsizetype self)
{
    const QString name = site.name;
    if (name.trimmed().isEmpty())
        return QStringLiteral("Please give the site a name.");
    // The file keeps a row as "name=address" on one line; the reader trims names and takes
    // "[" and ";" at a line's start as a section or a comment.
    if (name != name.trimmed() || name.contains(u'=') || name.contains(u'\n')
        || name.contains(u'\r') || name.startsWith(u'[') || name.startsWith(u';')
        || name.contains(QChar(0)))
        return QStringLiteral("A name may not start or end with a blank, start with \"[\" or "
                              "\";\", or hold \"=\".");
    // Designed names keep their designed meaning; in other letter case too, so the list never
    // shows two rows a person reads as one.
    for (const SearchRow &row : designedTable(list)) {
        if (name.compare(QLatin1String(row.name), Qt::CaseInsensitive) == 0)
            return QStringLiteral("\"%1\" is one of the program's own names. Please choose "
                                  "another name.")
                .arg(QLatin1String(row.name));
    }
    if (name.compare(designedPrompt(list), Qt::CaseInsensitive) == 0)
        return QStringLiteral("\"%1\" is the list's prompt. Please choose another name.")
            .arg(designedPrompt(list));
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (i != self && rows[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return QStringLiteral("There is already a site named \"%1\".").arg(rows[i].name);
    }
    const QString address = site.address;
    if (address.count(QLatin1String(kKeyword)) != 1)
        return QStringLiteral("The address must hold {keyword} exactly once, where the "
                              "keyword goes.");
    QString sample = address;
    const QUrl url(sample.replace(QLatin1String(kKeyword), QStringLiteral("test")),
                   QUrl::StrictMode);
    if (!url.isValid() || (url.scheme() != u"http" && url.scheme() != u"https")
        || url.host().isEmpty() || address != address.trimmed())
        return QStringLiteral("The address must be a web address starting with http:// or "
                              "https://.");
    return {};
}

FileRows ReadSitesFile(const QString &fileName)
{
    FileRows out;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        out.readable = false;
        return out;
    }
    if (file.size() > kMaxFileSize) {
        out.readable = false;
        out.problems << QStringLiteral("The file is too large to be a sites file.");
        return out;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.contains('\0') || !compat::IsValidUtf8(bytes)) {
        out.readable = false;
        out.problems << QStringLiteral("The file is not text.");
        return out;
    }
    // Lines the reader would skip in silence are damage here: a row the user wrote must not
    // vanish without a word.
    const QStringList known
        = {SectionName(List::Freeware).toCaseFolded(), SectionName(List::Engines).toCaseFolded()};
    bool inKnown = false;
    int lineNo = 0;
    for (const QByteArray &raw : bytes.split('\n')) {
        ++lineNo;
        const QString line = QString::fromUtf8(raw).trimmed().remove(QChar(0xFEFF));
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            inKnown = line.endsWith(u']')
                && known.contains(line.mid(1, line.size() - 2).trimmed().toCaseFolded());
            if (!inKnown)
                out.problems << QStringLiteral("Line %1: an unknown section.").arg(lineNo);
            continue;
        }
        if (!line.contains(u'=') || !inKnown)
            out.problems << QStringLiteral("Line %1: not a row of a known list.").arg(lineNo);
    }
    for (const List list : {List::Freeware, List::Engines}) {
        QList<Site> &rows = list == List::Freeware ? out.freeware : out.engines;
        for (const compat::ProfilePair &pair :
             compat::GetPrivateProfileSectionPairs(SectionName(list), fileName)) {
            const Site site {pair.key, pair.value};
            const QString why = CheckSite(list, site, rows);
            if (why.isEmpty())
                rows.append(site);
            else
                out.problems
                    << QStringLiteral("%1 \"%2\": %3").arg(SectionName(list), pair.key, why);
        }
    }
    return out;
}

bool WriteSitesFile(const QString &fileName, const QList<Site> &freeware,
                    const QList<Site> &engines)
{
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray text;
    for (const List list : {List::Freeware, List::Engines}) {
        text += '[' + SectionName(list).toUtf8() + "]\n";
        for (const Site &site : list == List::Freeware ? freeware : engines)
            text += site.name.toUtf8() + '=' + site.address.toUtf8() + '\n';
        text += '\n';
    }
    file.write(text);
    return file.commit();
}

UserSites::UserSites() = default;

UserSites &UserSites::instance()
{
    static UserSites sites;
    return sites;
}

QString UserSites::load()
{
    const QString fileName = SitesFile();
    FileRows read = ReadSitesFile(fileName);
    m_freeware = read.freeware;
    m_engines = read.engines;
    QString report;
    if (read.problems.isEmpty()) {
        // fine, or no file yet
    } else {
        const QString aside = app::SetAside(fileName);
        if (!aside.isEmpty()) {
            WriteSitesFile(fileName, m_freeware, m_engines);
            report = QStringLiteral("Your list of sites, %1, could not be read whole. It was set "
                                    "aside as %2; the %3 rows that could be read are kept.\n\n%4")
                         .arg(fileName, aside)
                         .arg(m_freeware.size() + m_engines.size())
                         .arg(read.problems.mid(0, 5).join(u'\n'));
        } else {
            report = QStringLiteral("Your list of sites, %1, could not be read whole, nor set "
                                    "aside. Changes to your sites will not be saved until it is "
                                    "mended.")
                         .arg(fileName);
            // Saving over it would lose what could not be read.
            m_freeware.clear();
            m_engines.clear();
        }
    }
    Q_EMIT changed();
    return report;
}

bool UserSites::setRows(List list, const QList<Site> &rows)
{
    const QList<Site> &freeware = list == List::Freeware ? rows : m_freeware;
    const QList<Site> &engines = list == List::Engines ? rows : m_engines;
    if (!WriteSitesFile(SitesFile(), freeware, engines))
        return false;
    (list == List::Freeware ? m_freeware : m_engines) = rows;
    Q_EMIT changed();
    return true;
}

int UserSites::importFile(const QString &fileName, QStringList *problems)
{
    const FileRows read = ReadSitesFile(fileName);
    *problems = read.problems;
    if (!read.readable && problems->isEmpty())
        problems->append(QStringLiteral("The file could not be read."));
    QList<Site> freeware = m_freeware, engines = m_engines;
    int added = 0;
    for (const List list : {List::Freeware, List::Engines}) {
        QList<Site> &rows = list == List::Freeware ? freeware : engines;
        for (const Site &site : list == List::Freeware ? read.freeware : read.engines) {
            const QString why = CheckSite(list, site, rows);
            if (why.isEmpty()) {
                rows.append(site);
                ++added;
            } else {
                problems->append(
                    QStringLiteral("%1 \"%2\": %3").arg(SectionName(list), site.name, why));
            }
        }
    }
    if (added == 0)
        return 0;
    if (!WriteSitesFile(SitesFile(), freeware, engines)) {
        problems->append(QStringLiteral("Your list of sites could not be written."));
        return 0;
    }
    m_freeware = freeware;
    m_engines = engines;
    Q_EMIT changed();
    return added;
}

bool UserSites::exportFile(const QString &fileName) const
{
    return WriteSitesFile(fileName, m_freeware, m_engines);
}

void EnsureLoaded()
{
    static bool loaded = false;
    if (loaded)
        return;
    loaded = true;
    const QString report = UserSites::instance().load();
    if (!report.isEmpty())
        compat::MsgBox(report, compat::vbExclamation, app::MainCaption());
}

} // namespace usersites
