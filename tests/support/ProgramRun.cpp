#include "ProgramRun.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QSettings>
#include <QTest>

#include <utility>

using namespace Qt::StringLiterals;

ProgramRun::ProgramRun(const QString &binDir, const QString &shotDir)
    : m_shotDir(shotDir), m_program(programFolder() + u"/scoutwell"_s)
{
    QDir(path()).mkdir(u"program"_s);
    QDir(path()).mkdir(u"runtime"_s, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    for (const QFileInfo &f :
         binDir.isEmpty() ? QFileInfoList() : QDir(binDir).entryInfoList(QDir::Files)) {
        // A site log left by someone running the build's program is not part of a fresh run.
        if (f.fileName() == "sitelog.f"_L1)
            continue;
        const QString target = programFolder() + u'/' + f.fileName();
        QFile::copy(f.absoluteFilePath(), target);
        QFile::setPermissions(target, f.permissions());
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const auto &[name, sub] : {std::pair {"XDG_CONFIG_HOME", "/config"},
                                    {"XDG_CACHE_HOME", "/cache"},
                                    {"XDG_DATA_HOME", "/data"},
                                    {"XDG_RUNTIME_DIR", "/runtime"},
                                    {"HOME", ""}})
        env.insert(QString::fromLatin1(name), path() + QLatin1StringView(sub));
    // A session bus of the run's own that is not running, as in a session without one: with
    // no address at all the D-Bus library would start a bus itself, forking from a thread
    // of the program, and such a fork hangs now and then under the address sanitizer.
    env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"unix:path="_s + path() + u"/runtime/bus"_s);
    env.remove(u"QT_QPA_PLATFORM"_s);
    // The program decides about the sandbox itself.
    env.remove(u"QTWEBENGINE_DISABLE_SANDBOX"_s);
    m_process.setProcessEnvironment(env);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    QObject::connect(&m_process, &QProcess::readyRead,
                     [this] { m_output.append(m_process.readAll()); });
}

void ProgramRun::setSettings(const QStringList &keysAndValues)
{
    QSettings file(settingsFile(), QSettings::IniFormat);
    for (qsizetype i = 0; i + 1 < keysAndValues.size(); i += 2)
        file.setValue(u"Settings/"_s + keysAndValues[i], keysAndValues[i + 1]);
}

void ProgramRun::command(const QStringList &arguments, QProcess &process)
{
    if (!m_ordinaryUser)
        return process.start(m_program, arguments);
    QStringList chown {u"-R"_s, u"65534:65534"_s};
    for (const char *sub : {"config", "cache", "data", "runtime"}) {
        chown.append(path() + u'/' + QLatin1StringView(sub));
        QDir().mkpath(chown.last());
    }
    QProcess::execute(u"chown"_s, chown);
    QProcess::execute(u"chown"_s, {u"65534:65534"_s, path()});
    process.start(u"setpriv"_s,
                  QStringList {u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s, u"--"_s,
                               m_program}
                      + arguments);
}

int ProgramRun::startAgain(const QStringList &arguments, int timeoutMs)
{
    QProcess again;
    again.setProcessEnvironment(m_process.processEnvironment());
    command(arguments, again);
    const bool ended = again.waitForFinished(timeoutMs);
    again.kill(); // nothing to do when it ended
    again.waitForFinished();
    return ended && again.exitStatus() == QProcess::NormalExit ? again.exitCode() : -1;
}

QString ProgramRun::startUntil(const QRegularExpression &title, const QStringList &arguments)
{
    return start(arguments) ? waitForWindow(title, 30000) : QString();
}

bool ProgramRun::start(const QStringList &arguments)
{
    command(arguments, m_process);
    return m_process.waitForStarted(10000);
}

bool ProgramRun::waitForExit(int timeoutMs)
{
    return QTest::qWaitFor([this] { return m_process.state() == QProcess::NotRunning; }, timeoutMs)
        && m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
}

bool ProgramRun::exit(const QString &main)
{
    key(main, u"ctrl+e"_s);
    return waitForExit();
}

QString ProgramRun::capture(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.start(program, arguments);
    p.waitForFinished(5000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QStringList ProgramRun::xdotool(const QStringList &args)
{
    return capture(u"xdotool"_s, args).split(u'\n', Qt::SkipEmptyParts);
}

QString ProgramRun::waitForWindow(const QRegularExpression &title, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    const QString pid = QString::number(m_process.processId());
    for (;;) {
        for (const QString &id :
             xdotool(u"search --onlyvisible --pid %1 --name ."_s.arg(pid).split(u' '))) {
            if (title.match(windowTitle(id)).hasMatch())
                return id;
        }
        if (deadline.hasExpired() || m_process.state() != QProcess::Running)
            return QString();
        QTest::qWait(100);
    }
}

bool ProgramRun::waitForNoWindow(const QRegularExpression &title, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!waitForWindow(title, 0).isEmpty() && !deadline.hasExpired())
        QTest::qWait(100);
    return waitForWindow(title, 0).isEmpty();
}

QString ProgramRun::windowTitle(const QString &id)
{
    return xdotool({u"getwindowname"_s, id}).value(0);
}

QRect ProgramRun::geometry(const QString &id)
{
    // "WINDOW=", "X=", "Y=", "WIDTH=", "HEIGHT=", "SCREEN=" lines.
    const QStringList lines = xdotool({u"getwindowgeometry"_s, u"--shell"_s, id});
    const auto v = [&](int i) { return lines.value(i).section(u'=', 1).toInt(); };
    return QRect(v(1), v(2), v(3), v(4));
}

void ProgramRun::key(const QString &id, const QString &keys)
{
    if (!id.isEmpty())
        xdotool({u"windowfocus"_s, u"--sync"_s, id});
    xdotool(u"key --clearmodifiers "_s.append(keys).split(u' ', Qt::SkipEmptyParts));
}

void ProgramRun::type(const QString &id, const QString &text)
{
    xdotool({u"windowfocus"_s, u"--sync"_s, id});
    xdotool({u"type"_s, u"--delay"_s, u"20"_s, text});
}

void ProgramRun::click(const QString &id, const QPoint &at, int count)
{
    const QString window = id.isEmpty() ? QString() : u"--window "_s + id;
    xdotool(u"mousemove %1 %2 %3"_s.arg(window).arg(at.x()).arg(at.y()).split(u' ',
                                                                              Qt::SkipEmptyParts));
    if (count < 1)
        return;
    // The window under the pointer learns where it is before the button goes down.
    QTest::qWait(200);
    xdotool(u"click --repeat %1 --delay 80 1"_s.arg(count).split(u' '));
}

QImage ProgramRun::screenshot(const QString &name)
{
    QDir().mkpath(m_shotDir);
    const QString file = m_shotDir + u'/' + name + u".png"_s;
    QProcess::execute(u"import"_s, {u"-window"_s, u"root"_s, file});
    return QImage(file);
}

QImage ProgramRun::settledScreenshot(const QString &name)
{
    QImage last = screenshot(name);
    QImage shot;
    // A screen that never settles (a blinking caret) still gives its last picture.
    static_cast<void>(QTest::qWaitFor(
        [&] {
            shot = screenshot(name);
            return std::exchange(last, shot) == shot;
        },
        5000));
    return shot;
}

int ProgramRun::countPixels(const QImage &image, const QRect &area, bool (*test)(QColor))
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += test(image.pixelColor(x, y));
    return n;
}
