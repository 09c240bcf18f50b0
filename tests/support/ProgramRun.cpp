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
    const QDir bin(binDir);
    for (const QFileInfo &f : bin.entryInfoList(QDir::Files)) {
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
    m_process.setProgram(programFolder() + QStringLiteral("/scoutwell"));
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

bool ProgramRun::start()
{
    m_process.start();
    return m_process.waitForStarted(10000);
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
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), id});
    xdotool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), keys});
}

void ProgramRun::type(const QString &id, const QString &text)
{
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), id});
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text});
}

QRect ProgramRun::geometry(const QString &id)
{
    // Lines of the form WINDOW=, X=, Y=, WIDTH=, HEIGHT=, SCREEN=.
    const QStringList v
        = xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), id});
    const auto value = [&](int i) { return v.value(i).section(QLatin1Char('='), 1).toInt(); };
    return QRect(value(1), value(2), value(3), value(4));
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
