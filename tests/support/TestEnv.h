#pragma once

#include "compat/Dialogs.h"
#include "compat/Settings.h"

#include <QFile>
#include <QList>
#include <QString>
#include <QTemporaryDir>

// The [Settings] group of a settings file as sorted key=value lines.
QStringList storedSettingsIn(const QString &settingsFile);

// A window's control by its design name, which each control carries as its object name.
template<class T> T *control(const QObject *window, const char *name)
{
    return window->findChild<T *>(QLatin1String(name));
}

// A file's bytes; empty if it cannot be read.
inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Writes `bytes` to `path` in place of what it held; false if not all of them arrived.
inline bool putFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// A private world for one test: settings, caches and the program folder in a temporary
// folder, the fake browser control in every browser window, and every message or input
// box recorded and answered instead of shown. Destroying it unloads every window.
class TestEnv
{
public:
    TestEnv();
    ~TestEnv();

    QString path() const { return m_dir.path(); }
    QString programFolder() const { return path() + QStringLiteral("/program"); }
    QString settingsFile() const { return compat::SettingsFilePath(); }
    // The [Settings] group as key=value lines, sorted: what a person would see in the file.
    QStringList storedSettings() const { return storedSettingsIn(settingsFile()); }
    // Answers for the next boxes, in order; a box with no answer queued gets OK (and an
    // empty text for an input box).
    void queueAnswer(int button, const QString &text = {}) { m_answers.append({button, text}); }

    QList<compat::DialogRequest> boxes;

private:
    QTemporaryDir m_dir;
    QList<compat::DialogAnswer> m_answers;
};

// Unloads every window and lets the deferred deletions run.
void resetWindows();
