#pragma once

#include <QString>
#include <QStringList>

// The program launcher: starts a command line as a separate process and does not wait for
// it. The two control-panel command lines the security window was designed around
// ("Internet Options" and "Modem Options") are mapped to this desktop's network and
// connection settings programs; any other command line is run as it stands.
namespace compat {

// The control-panel command lines, as the windows name them.
inline constexpr char kInternetOptionsCommand[]
    = "rundll32.exe shell32.dll,Control_RunDLL inetcpl.cpl,,0";
inline constexpr char kModemOptionsCommand[] = "rundll32.exe shell32.dll,Control_RunDLL modem.cpl";

// Starts the command line and returns the new process's id, or 0 when nothing could be
// started (for a control panel: none of its programs is installed). The window-show mode
// is accepted for the callers' sake; desktop programs open their window as they see fit.
qint64 Shell(const QString &commandLine, int windowStyle = 1);

// The programs that can stand in for a control-panel command line, in the order they are
// tried on this desktop; empty for any other command line.
QStringList ShellAlternatives(const QString &commandLine);

} // namespace compat
