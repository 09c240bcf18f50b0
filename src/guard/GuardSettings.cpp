#include "guard/GuardSettings.h"

#include "app/App.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

namespace guard {

namespace {

// Entries are separated by blanks; a blank inside one (a file name) is written as %20.
QString joined(QStringList list)
{
    for (QString &entry : list)
        entry = QString::fromLatin1(QUrl::toPercentEncoding(entry, ":/?=&#[]@!$'()*+,;~"));
    return list.join(QLatin1Char(' '));
}

QString joined(const QSet<QString> &set)
{
    QStringList list(set.begin(), set.end());
    list.sort();
    return joined(list);
}

} // namespace

QString GuardSettings::path()
{
    return app::DataFolder() + QStringLiteral("/guard.ini");
}

QString GuardSettings::load()
{
    *this = GuardSettings();
    QFile file(path());
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("guard.ini could not be read: ") + file.errorString();
    const QByteArray bytes = file.readAll();
    file.close();
    // The program writes plain "key=value" lines under "[Guard]"; anything else (binary
    // junk, a half-written file from elsewhere) is not taken half-way.
    const QString text = QString::fromUtf8(bytes);
    bool damaged = bytes.contains('\0') || text.contains(QChar::ReplacementCharacter);
    QString section;
    for (const QString &raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (damaged)
            break;
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2);
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0 || section != QLatin1String("Guard")) {
            damaged = true;
            break;
        }
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        QStringList words = value.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (QString &word : words)
            word = QUrl::fromPercentEncoding(word.toUtf8());
        if (key == QLatin1String("Enabled"))
            enabled = value != QLatin1String("0");
        else if (key == QLatin1String("SitesOff"))
            sitesOff = QSet<QString>(words.begin(), words.end());
        else if (key == QLatin1String("ListsOff"))
            listsOff = QSet<QString>(words.begin(), words.end());
        else if (key == QLatin1String("Added"))
            addedAddresses = words;
    }
    if (!damaged)
        return {};
    *this = GuardSettings();
    const QString aside = app::SetAside(path());
    return aside.isEmpty()
        ? QStringLiteral("guard.ini is damaged and could not be set aside; defaults are used")
        : QStringLiteral("guard.ini was damaged; it was set aside as %1 and defaults are used")
              .arg(QFileInfo(aside).fileName());
}

bool GuardSettings::save(QString *error) const
{
    QDir().mkpath(QFileInfo(path()).path());
    QSaveFile file(path());
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    QString text = QStringLiteral("[Guard]\nEnabled=%1\n").arg(enabled ? 1 : 0);
    text += QStringLiteral("SitesOff=") + joined(sitesOff) + QLatin1Char('\n');
    text += QStringLiteral("ListsOff=") + joined(listsOff) + QLatin1Char('\n');
    text += QStringLiteral("Added=") + joined(addedAddresses) + QLatin1Char('\n');
    file.write(text.toUtf8());
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace guard
