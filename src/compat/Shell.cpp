#include "compat/Shell.h"

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

} // namespace

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
        return QDesktopServices::openUrl(QUrl(file, QUrl::TolerantMode)) ? kStarted
                                                                         : kNoAssociation;

    const QFileInfo info(file);
    if (!info.exists())
        return kFileNotFound;
    if (info.isFile() && info.isExecutable()) {
        const QStringList args = QProcess::splitCommand(parameters);
        return QProcess::startDetached(info.absoluteFilePath(), args, directory) ? kStarted
                                                                                 : kNoAssociation;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath())) ? kStarted
                                                                                   : kNoAssociation;
}

bool OpenWithDesktop(const QString &path)
{
    if (hook())
        return hook()({QStringLiteral("desktop"), path, {}, {}, SW_SHOWNORMAL}) > 32;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace compat
