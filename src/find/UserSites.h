#pragma once

#include <QList>
#include <QObject>
#include <QString>

// The user's own freeware sites and search engines, listed after the designed rows of the
// two search windows. Kept in sites.ini in the user's data folder, one "name=address" line
// per row under "[Freeware sites]" and "[Search engines]", so it can be edited by hand too.
namespace usersites {

enum class List { Freeware, Engines };

struct Site
{
    QString name;
    QString address; // an http or https address with "{keyword}" once
    bool operator==(const Site &) const = default;
};

QString SectionName(List list);
QString SitesFile();

// The results address: the keyword percent-encoded in place of "{keyword}", so a blank or
// an "&" in it stays part of the keyword.
QString SiteAddress(const QString &address, const QString &keyword);

// Why a row cannot be kept, or "" when it can: a name empty, unfit for an INI line, equal to
// a designed name or to another row of `rows` (row `self` aside), or an address that is not
// http or https with "{keyword}" exactly once.
QString CheckSite(List list, const Site &site, const QList<Site> &rows, qsizetype self = -1);

// The rows of one list read from a sites file, and the lines that could not be read.
struct FileRows
{
    QList<Site> freeware, engines;
    QStringList problems;
    bool readable = true; // false: no such file, or not a text file
};
FileRows ReadSitesFile(const QString &fileName);
// Written whole or not at all.
bool WriteSitesFile(const QString &fileName, const QList<Site> &freeware,
                    const QList<Site> &engines);

// The rows the program holds, loaded from sites.ini on first use.
class UserSites : public QObject
{
    Q_OBJECT
public:
    static UserSites &instance();

    const QList<Site> &rows(List list) const
    {
        return list == List::Freeware ? m_freeware : m_engines;
    }
    // Replaces one list's rows and writes the file; false (rows unchanged) when it cannot be
    // written.
    bool setRows(List list, const QList<Site> &rows);
    // Adds the rows of another sites file that this one lacks: how many were added, and why
    // the others were not.
    int importFile(const QString &fileName, QStringList *problems);
    bool exportFile(const QString &fileName) const;
    // Reads sites.ini again (after a test or a hand edit); a damaged file is set aside as
    // sites.ini.bad (then .bad.1, .bad.2, ...) and the rows it held that could be read are
    // kept. What went wrong, for the user, or "".
    QString load();

Q_SIGNALS:
    void changed();

private:
    UserSites();
    QList<Site> m_freeware, m_engines;
};

// Loads the rows once, telling the user in a message box when the file was set aside.
void EnsureLoaded();

} // namespace usersites
