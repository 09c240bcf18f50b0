#include "ProgramRun.h"

#include "TestEnv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTest>

#include <algorithm>

ProgramRun::ProgramRun(const QString &binDir, const QString &shotDir) : m_shotDir(shotDir)
{
    QDir().mkpath(programFolder());
    QDir().mkpath(m_dir.path() + QStringLiteral("/runtime"));
    QFile::setPermissions(m_dir.path() + QStringLiteral("/runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QFileInfoList files
        = binDir.isEmpty() ? QFileInfoList() : QDir(binDir).entryInfoList(QDir::Files);
    for (const QFileInfo &f : files) {
        // A site log left by someone running the build's program is not part of a fresh run.
        if (f.fileName() == QLatin1String("sitelog.f"))
            continue;
        const QString target = programFolder() + QLatin1Char('/') + f.fileName();
        QFile::copy(f.absoluteFilePath(), target);
        QFile::setPermissions(target, f.permissions());
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.path() + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), m_dir.path() + QStringLiteral("/cache"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.path() + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path() + QStringLiteral("/runtime"));
    env.insert(QStringLiteral("HOME"), m_dir.path());
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    // The program decides about the sandbox itself.
    env.remove(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"));
    m_process.setProcessEnvironment(env);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_program = programFolder() + QStringLiteral("/scoutwell");
    QObject::connect(&m_process, &QProcess::readyRead,
                     [this] { m_output.append(m_process.readAll()); });
}

ProgramRun::~ProgramRun()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString ProgramRun::programFolder() const
{
    return m_dir.path() + QStringLiteral("/program");
}

QString ProgramRun::settingsFile() const
{
    return m_dir.path() + QStringLiteral("/config/ScoutwellV3.ini");
}

void ProgramRun::setSetting(const QString &key, const QString &value)
{
    QSettings store(settingsFile(), QSettings::IniFormat);
    store.setValue(QStringLiteral("Settings/") + key, value);
}

QString ProgramRun::setting(const QString &key, const QString &def) const
{
    QSettings store(settingsFile(), QSettings::IniFormat);
    return store.value(QStringLiteral("Settings/") + key, def).toString();
}

QStringList ProgramRun::storedSettings() const
{
    return storedSettingsIn(settingsFile());
}

void ProgramRun::setEnvironment(const QString &name, const QString &value)
{
    QProcessEnvironment env = m_process.processEnvironment();
    env.insert(name, value);
    m_process.setProcessEnvironment(env);
}

void ProgramRun::command(const QStringList &arguments, QProcess &process)
{
    if (!m_ordinaryUser) {
        process.start(m_program, arguments);
        return;
    }
    QStringList chown {QStringLiteral("-R"), QStringLiteral("65534:65534")};
    for (const char *sub : {"config", "cache", "data", "runtime"}) {
        chown.append(m_dir.path() + QLatin1Char('/') + QLatin1String(sub));
        QDir().mkpath(chown.last());
    }
    QProcess::execute(QStringLiteral("chown"), chown);
    QProcess::execute(QStringLiteral("chown"), {QStringLiteral("65534:65534"), m_dir.path()});
    process.start(QStringLiteral("setpriv"),
                  QStringList {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                               QStringLiteral("--clear-groups"), QStringLiteral("--"), m_program}
                      + arguments);
}

bool ProgramRun::start(const QStringList &arguments)
{
    command(arguments, m_process);
    return m_process.waitForStarted(10000);
}

int ProgramRun::startAgain(const QStringList &arguments, int timeoutMs)
{
    QProcess again;
    again.setProcessEnvironment(m_process.processEnvironment());
    command(arguments, again);
    if (!again.waitForFinished(timeoutMs)) {
        again.kill();
        again.waitForFinished();
        return -1;
    }
    return again.exitStatus() == QProcess::NormalExit ? again.exitCode() : -1;
}

QStringList ProgramRun::xdotool(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    p.waitForFinished(5000);
    return QString::fromUtf8(p.readAllStandardOutput())
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList ProgramRun::visibleTitles(QStringList *ids) const
{
    QStringList titles;
    for (const QString &id :
         xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                  QStringLiteral("--pid"), QString::number(m_process.processId()),
                  QStringLiteral("--name"), QStringLiteral(".")})) {
        titles.append(windowTitle(id));
        if (ids)
            ids->append(id);
    }
    return titles;
}

QString ProgramRun::waitForWindow(const QRegularExpression &title, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs && m_process.state() == QProcess::Running) {
        QStringList ids;
        const QStringList titles = visibleTitles(&ids);
        for (qsizetype i = 0; i < titles.size(); ++i) {
            if (title.match(titles[i]).hasMatch())
                return ids[i];
        }
        QTest::qWait(100);
    }
    return QString();
}

bool ProgramRun::waitForNoWindow(const QRegularExpression &title, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    const auto shown = [&] {
        const QStringList titles = visibleTitles();
        return std::any_of(titles.begin(), titles.end(),
                           [&](const QString &t) { return title.match(t).hasMatch(); });
    };
    while (shown()) {
        if (clock.elapsed() >= timeoutMs)
            return false;
        QTest::qWait(100);
    }
    return true;
}

QString ProgramRun::windowTitle(const QString &id)
{
    const QStringList lines = xdotool({QStringLiteral("getwindowname"), id});
    return lines.isEmpty() ? QString() : lines.first();
}

void ProgramRun::key(const QString &id, const QString &keys)
{
    if (!id.isEmpty())
        xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), id});
    xdotool(QStringList {QStringLiteral("key"), QStringLiteral("--clearmodifiers")}
            + keys.split(QLatin1Char(' '), Qt::SkipEmptyParts));
}

void ProgramRun::type(const QString &id, const QString &text)
{
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), id});
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text});
}

void ProgramRun::click(const QString &id, const QPoint &at, int count)
{
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), id, QString::number(at.x()),
             QString::number(at.y())});
    xdotool({QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(count),
             QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("1")});
}

QRect ProgramRun::geometry(const QString &id)
{
    // "WINDOW=", "X=", "Y=", "WIDTH=", "HEIGHT=", "SCREEN=" lines.
    int v[5] = {};
    const QStringList lines
        = xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), id});
    for (int i = 1; i < 5 && i < lines.size(); ++i)
        v[i] = lines[i].section(QLatin1Char('='), 1).toInt();
    return QRect(v[1], v[2], v[3], v[4]);
}

QSize ProgramRun::screenSize()
{
    const QStringList wh
        = xdotool({QStringLiteral("getdisplaygeometry")}).value(0).split(QLatin1Char(' '));
    return QSize(wh.value(0).toInt(), wh.value(1).toInt());
}

QString ProgramRun::clipboard()
{
    QProcess p;
    p.start(QStringLiteral("xclip"),
            {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard")});
    p.waitForFinished(5000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

void ProgramRun::mouseMove(const QPoint &to)
{
    xdotool({QStringLiteral("mousemove"), QString::number(to.x()), QString::number(to.y())});
}

void ProgramRun::click(const QPoint &at)
{
    mouseMove(at);
    // The window under the pointer learns where it is before the button goes down.
    QTest::qWait(200);
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
}

void ProgramRun::screenshot(const QString &name)
{
    QDir().mkpath(m_shotDir);
    QProcess::execute(QStringLiteral("import"),
                      {QStringLiteral("-window"), QStringLiteral("root"),
                       m_shotDir + QLatin1Char('/') + name + QStringLiteral(".png")});
}

bool ProgramRun::waitForExit(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (m_process.state() != QProcess::NotRunning && clock.elapsed() < timeoutMs)
        QTest::qWait(100);
    return m_process.state() == QProcess::NotRunning;
}
