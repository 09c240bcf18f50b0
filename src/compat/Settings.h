#pragma once

#include <QHash>
#include <QString>

// The per-user settings store: one INI file, "ScoutwellV3.ini" in the XDG config folder,
// group [Settings]. Every read opens the file afresh and every write is synced to disk at
// once, so a value written anywhere (another window, another process) is seen by the next
// read. The file may hold the passcode, so it is kept readable by its owner only.
namespace compat {

// The full path of the settings file for the current environment.
QString SettingsFilePath();

// Read(key, default): the stored string, or def when the key was never written.
QString GetSetting(const QString &key, const QString &def = QString());

// Every key of the group with its value, read in one pass (for loading the program's
// settings at once).
QHash<QString, QString> ReadAllSettings();

// Write(key, value): stores the string at once, creating the file as needed.
void SaveSetting(const QString &key, const QString &value);

} // namespace compat
