#include "compat/Launcher.h"

#include <QProcess>
#include <QStandardPaths>

#include <algorithm>

namespace compat {

namespace {

struct Alternative
{
    const char *command; // the control-panel command line it stands in for
    const char *program;
    const char *arguments; // blank-separated, may be empty
    const char *desktop; // the desktop it belongs to, tried first there; "" for any
};

// Per panel, the usual programs of Debian's desktops, most specific first.
constexpr Alternative kAlternatives[] = {
    {kInternetOptionsCommand, "gnome-control-center", "network", "GNOME"},
    {kInternetOptionsCommand, "systemsettings", "kcm_networkmanagement", "KDE"},
    {kInternetOptionsCommand, "cinnamon-settings", "network", "X-Cinnamon"},
    {kInternetOptionsCommand, "nm-connection-editor", "", ""},
    {kModemOptionsCommand, "modem-manager-gui", "", ""},
    {kModemOptionsCommand, "gnome-control-center", "wwan", "GNOME"},
    {kModemOptionsCommand, "nm-connection-editor", "", ""},
};

QList<Alternative> alternativesFor(const QString &commandLine)
{
    QList<Alternative> found;
    for (const Alternative &a : kAlternatives) {
        if (commandLine == QLatin1String(a.command))
            found.append(a);
    }
    // Another desktop's settings program is the last resort: it may bring half its desktop
    // up with it.
    const QStringList desktops
        = qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    auto usable = [&](const Alternative &a) {
        return !*a.desktop || desktops.contains(QLatin1String(a.desktop), Qt::CaseInsensitive);
    };
    std::stable_partition(found.begin(), found.end(), usable);
    return found;
}

qint64 startDetached(const QString &program, const QStringList &arguments)
{
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return 0;
    qint64 pid = 0;
    if (!QProcess::startDetached(path, arguments, QString(), &pid))
        return 0;
    return pid;
}

} // namespace

qint64 Shell(const QString &commandLine, int)
{
    const QList<Alternative> alternatives = alternativesFor(commandLine);
    if (alternatives.isEmpty()) {
        QStringList parts = QProcess::splitCommand(commandLine);
        if (parts.isEmpty())
            return 0;
        const QString program = parts.takeFirst();
        return startDetached(program, parts);
    }
    for (const Alternative &a : alternatives) {
        const QStringList arguments
            = QString::fromLatin1(a.arguments).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (const qint64 pid = startDetached(QLatin1String(a.program), arguments))
            return pid;
    }
    return 0;
}

QStringList ShellAlternatives(const QString &commandLine)
{
    QStringList names;
    for (const Alternative &a : alternativesFor(commandLine)) {
        if (!names.contains(QLatin1String(a.program)))
            names.append(QLatin1String(a.program));
    }
    return names;
}

} // namespace compat
