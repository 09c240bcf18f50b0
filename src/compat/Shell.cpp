#include "compat/Shell.h"

#include "compat/Dialogs.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QUrl>

namespace compat {

namespace {

ShellHook &hook()
{
    static ShellHook h;
    return h;
}

// The shell's codes for a file that is not there and for a request it cannot serve.
constexpr int kFileNotFound = 2;
constexpr int kNoAssociation = 31;
constexpr int kStarted = 33;

bool hasScheme(const QString &file)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return scheme.match(file).hasMatch();
}

// The desktop hands addresses and files to their programs through xdg-utils; without it,
// or without a program for the kind of thing asked for, nothing opens, and the user is told
// what to install rather than left with a click that did nothing.
bool openOrSay(const QUrl &url, const QString &shown)
{
    if (QDesktopServices::openUrl(url))
        return true;
    compat::MsgBox(DesktopOpenFailure(url, shown), vbExclamation);
    return false;
}

} // namespace

QString DesktopOpenFailure(const QUrl &url, const QString &shown)
{
    if (url.scheme().compare(QLatin1String("mailto"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("No mail program could be started for:\n%1\n\n"
                              "Install a mail program, and xdg-utils, which hands mail "
                              "addresses to it.")
            .arg(shown);
    if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isDir())
        return QStringLiteral("The folder could not be opened:\n%1\n\n"
                              "Install xdg-utils and a file manager.")
            .arg(shown);
    if (url.isLocalFile())
        return QStringLiteral("The file could not be opened:\n%1\n\n"
                              "Install xdg-utils and a program for this kind of file.")
            .arg(shown);
    return QStringLiteral("The address could not be opened:\n%1\n\n"
                          "Install xdg-utils and a program for such addresses.")
        .arg(shown);
}

void SetShellHook(ShellHook h)
{
    hook() = std::move(h);
}

int ShellExecuteA(QWidget *, const QString &operation, const QString &file,
                  const QString &parameters, const QString &directory, int showCommand)
{
    if (hook())
        return hook()({operation, file, parameters, directory, showCommand});

    if (operation.compare(QLatin1String("open"), Qt::CaseInsensitive) != 0 || file.isEmpty())
        return kNoAssociation;

    if (hasScheme(file))
        return openOrSay(QUrl(file, QUrl::TolerantMode), file) ? kStarted : kNoAssociation;

    const QFileInfo info(file);
    if (!info.exists())
        return kFileNotFound;
    if (info.isFile() && info.isExecutable()) {
        const QStringList args = QProcess::splitCommand(parameters);
        return QProcess::startDetached(info.absoluteFilePath(), args, directory) ? kStarted
                                                                                 : kNoAssociation;
    }
    return openOrSay(QUrl::fromLocalFile(info.absoluteFilePath()), info.absoluteFilePath())
        ? kStarted
        : kNoAssociation;
}

bool OpenWithDesktop(const QString &path)
{
    if (hook())
        return hook()({QStringLiteral("desktop"), path, {}, {}, SW_SHOWNORMAL}) > 32;
    return openOrSay(QUrl::fromLocalFile(path), path);
}

} // namespace compat
