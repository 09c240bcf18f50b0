#include "compat/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace compat {

namespace {

const char kGroup[] = "Settings";

// Creates the file empty with mode 0600 when it does not exist yet, so that the first
// write never leaves the passcode in a file others can read, and tightens the mode of a
// file that someone loosened.
void ensurePrivateFile(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray native = QFile::encodeName(path);
    int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
    ::chmod(native.constData(), 0600);
}

// A value edited by hand may have been written without quotes around a comma, in which case
// the INI reader hands back a list; put it back together as it was typed.
QString asText(const QVariant &v)
{
    if (v.userType() == QMetaType::QStringList)
        return v.toStringList().join(QLatin1Char(','));
    return v.toString();
}

} // namespace

QString SettingsFilePath()
{
    // GenericConfigLocation honours $XDG_CONFIG_HOME and falls back to ~/.config.
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base + QStringLiteral("/ScoutwellV3.ini");
}

QString GetSetting(const QString &key, const QString &def)
{
    QSettings store(SettingsFilePath(), QSettings::IniFormat);
    store.beginGroup(QLatin1String(kGroup));
    const QVariant v = store.value(key);
    return v.isValid() ? asText(v) : def;
}

QHash<QString, QString> ReadAllSettings()
{
    QSettings store(SettingsFilePath(), QSettings::IniFormat);
    store.beginGroup(QLatin1String(kGroup));
    QHash<QString, QString> all;
    for (const QString &key : store.childKeys())
        all.insert(key, asText(store.value(key)));
    return all;
}

void SaveSetting(const QString &key, const QString &value)
{
    const QString path = SettingsFilePath();
    ensurePrivateFile(path);
    // Loading a window sets its boxes from the store, and each box stores its state again,
    // at every start. Rewriting the file with what it already holds changes nothing but
    // costs the start-up a locked, synced rewrite each time.
    const QString absent = value + QLatin1Char('?');
    if (GetSetting(key, absent) == value)
        return;
    {
        QSettings store(path, QSettings::IniFormat);
        store.beginGroup(QLatin1String(kGroup));
        store.setValue(key, value);
        store.endGroup();
        store.sync();
    }
    // The store rewrites the file through a temporary file; keep the owner-only mode on the
    // file that replaced it.
    ::chmod(QFile::encodeName(path).constData(), 0600);
}

} // namespace compat
