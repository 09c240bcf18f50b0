#pragma once

#include <QImage>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QString>
#include <QTemporaryDir>

#include <unistd.h>

// A pattern that matches the whole of `text` and nothing else (window titles, for one).
inline QRegularExpression exactly(const QString &text)
{
    return QRegularExpression('^' + QRegularExpression::escape(text) + '$');
}

// One run of the real program for an end-to-end test: the built program and its files
// copied into a temporary program folder, private settings and caches, the X display the
// test command started. Windows are found by title with xdotool, as a person finds them
// by looking.
class ProgramRun
{
public:
    // binDir: the build's program folder (empty: nothing copied, see setProgram); shotDir:
    // where screenshots go.
    ProgramRun(const QString &binDir, const QString &shotDir);
    ~ProgramRun() { kill(); }

    // The run's temporary folder: also its home, with config, data, cache and runtime in it.
    QString path() const { return m_dir.path(); }
    QString programFolder() const { return path() + QStringLiteral("/program"); }
    // Runs this program (an installed copy) instead of the copied build.
    void setProgram(const QString &program) { m_program = program; }
    // When the test runs as root, the program runs as nobody, who owns only the run's
    // folders (not the program's): the superuser writes into read-only folders.
    void runAsOrdinaryUser() { m_ordinaryUser = ::geteuid() == 0; }
    QString settingsFile() const { return path() + QStringLiteral("/config/ScoutwellV3.ini"); }
    // Settings written as an earlier run would have left them: keys each followed by its value.
    void setSettings(const QStringList &keysAndValues);
    void setSetting(const QString &key, const QString &value) { setSettings({key, value}); }
    // A variable of the program's environment; an empty value removes it.
    void setEnvironment(const QString &name, const QString &value)
    {
        QProcessEnvironment env = m_process.processEnvironment();
        if (value.isEmpty())
            env.remove(name);
        else
            env.insert(name, value);
        m_process.setProcessEnvironment(env);
    }

    bool start(const QStringList &arguments = {});
    qint64 processId() const { return m_process.processId(); }
    // Starts the program and waits for its first window titled so: its id, or "".
    QString startUntil(const QRegularExpression &title, const QStringList &arguments = {});
    // A further start of the same program in the same world, as a second click on the
    // launcher: its exit code, or -1 when it is still running after the timeout.
    int startAgain(const QStringList &arguments, int timeoutMs = 10000);
    void kill()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    // True once the program has ended by itself with exit code 0 (not killed, not crashed).
    bool waitForExit(int timeoutMs = 15000);
    // Ctrl+E in the main window, as a person ends the program: true once it ended well.
    bool exit(const QString &main);
    QByteArray output() const { return m_output; }

    // The id of the first window whose title matches, or "" after the timeout.
    QString waitForWindow(const QRegularExpression &title, int timeoutMs = 20000);
    bool waitForNoWindow(const QRegularExpression &title, int timeoutMs = 10000);
    static QString windowTitle(const QString &id);
    static QRect geometry(const QString &id);
    // Gives the window the keyboard and types keys into it (xdotool key names, blank
    // separated). Without a window the keys go where the keyboard is, such as an open menu.
    void key(const QString &id, const QString &keys);
    void type(const QString &id, const QString &text);
    // Moves the mouse to a point of the window (of the screen without one) and clicks the
    // left button `count` times there (none: the pointer only moves).
    static void click(const QString &id, const QPoint &at, int count = 1);
    // What another program prints, such as the clipboard's text as xclip reads it.
    static QString capture(const QString &program, const QStringList &arguments);
    static QString clipboard() { return capture("xclip", {"-o", "-selection", "clipboard"}); }
    // Saves the whole screen as <shotDir>/<name>.png and returns it.
    QImage screenshot(const QString &name);
    // The same, once the screen has stopped changing: two pictures in a row alike (the last
    // one after 5 s of change).
    QImage settledScreenshot(const QString &name);
    // The pixels of a screenshot inside `area` that pass `test`.
    static int countPixels(const QImage &image, const QRect &area, bool (*test)(QColor));

private:
    static QStringList xdotool(const QStringList &args);
    void command(const QStringList &arguments, QProcess &process);

    QTemporaryDir m_dir;
    QString m_shotDir;
    QString m_program;
    bool m_ordinaryUser = false;
    QProcess m_process;
    QByteArray m_output;
};

// Declares `id` as the window the run's call finds, and fails the test, showing what the
// program printed, when it finds none.
#define VERIFY_WINDOW(id, run, call)                                                               \
    const QString id = (run).call;                                                                 \
    QVERIFY2(!id.isEmpty(), (run).output().constData())
