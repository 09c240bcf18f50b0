#pragma once

#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QString>
#include <QTemporaryDir>

// One run of the real program for an end-to-end test: the built program and its files
// copied into a temporary program folder, private settings and caches, the X display the
// test command started. Windows are found by title with xdotool, as a person finds them
// by looking.
class ProgramRun
{
public:
    // binDir: the build's program folder; shotDir: where screenshots go.
    ProgramRun(const QString &binDir, const QString &shotDir);
    ~ProgramRun();

    // The run's home folder; the data, config and cache folders are inside it.
    QString home() const { return m_dir.path(); }
    QString programFolder() const;
    QString settingsFile() const;

    // Settings written before the start, as an earlier run would have left them.
    void setSetting(const QString &key, const QString &value);
    QString setting(const QString &key, const QString &def = QString()) const;
    // The [Settings] group as sorted key=value lines.
    QStringList storedSettings() const;

    bool start();
    // The id of the first window whose title matches, or "" after the timeout.
    QString waitForWindow(const QRegularExpression &title, int timeoutMs = 20000);
    bool waitForNoWindow(const QRegularExpression &title, int timeoutMs = 10000);
    static QString windowTitle(const QString &id);
    // Gives the window the keyboard and types keys into it (xdotool key names).
    void key(const QString &id, const QString &keys);
    void type(const QString &id, const QString &text);
    // The window's place on the screen.
    static QRect geometry(const QString &id);
    // A left click at a point of the screen, as a person's mouse makes it.
    static void click(const QPoint &at);
    static void mouseMove(const QPoint &to);
    // Saves the whole screen as <shotDir>/<name>.png.
    void screenshot(const QString &name);

    bool waitForExit(int timeoutMs = 15000);
    int exitCode() const { return m_process.exitCode(); }
    QProcess::ExitStatus exitStatus() const { return m_process.exitStatus(); }
    QByteArray output() const { return m_output; }

private:
    // Titles of the program's visible windows, and their ids when asked for.
    QStringList visibleTitles(QStringList *ids = nullptr) const;
    static QStringList xdotool(const QStringList &args);

    QTemporaryDir m_dir;
    QString m_shotDir;
    QProcess m_process;
    QByteArray m_output;
};
