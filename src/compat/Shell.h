#pragma once

#include <QString>
#include <functional>

class QUrl;
class QWidget;

namespace compat {

// Window-show states the shell is given.
enum ShowCommand { SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOW = 5 };

// The shell's document launcher. With the operation "open": an address with a scheme
// (http:, mailto:, ...) goes to the desktop's handler for it (the web browser, the mail
// program); an executable file is started as a program of its own, in `directory` when
// one is given; any other file opens in the program the desktop has for it. Returns a
// value above 32 when something was started, as the shell always has; callers that do not
// care may ignore it.
int ShellExecuteA(QWidget *owner, const QString &operation, const QString &file,
                  const QString &parameters, const QString &directory, int showCommand);

// Hands a file or a folder to the desktop's handler for its type (the operation
// "desktop" for the hook). Unlike the "open" above, a program file is never started by
// this, whatever its permissions: the desktop decides what opening it means.
bool OpenWithDesktop(const QString &path);

// When the desktop can open nothing for a request, both of the above show a message box
// with this text: what failed (`shown`, as the user knows it) and what to install.
QString DesktopOpenFailure(const QUrl &url, const QString &shown);

// One request as the program made it.
struct ShellRequest
{
    QString operation;
    QString file;
    QString parameters;
    QString directory;
    int showCommand = SW_SHOWNORMAL;
};

// Tests install a hook that receives every request instead of the desktop; it returns
// the shell's result. An empty hook restores the desktop.
using ShellHook = std::function<int(const ShellRequest &)>;
void SetShellHook(ShellHook hook);

} // namespace compat
