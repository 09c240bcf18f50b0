#include "app/App.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QWidget>

#include <cmath>
#include <cstdio>
#include <unistd.h>

namespace app {

namespace {
QString &programFolderOverride()
{
    static QString path;
    return path;
}
} // namespace

QString AppTitle()
{
    return QStringLiteral("Scoutwell");
}

QIcon AppIcon()
{
    QIcon icon;
    // Every window hands its icon to the window system as pixels: the small sizes that
    // title bars and task lists draw are enough, the launcher takes the installed ones.
    for (int size : {16, 24, 32, 48})
        icon.addFile(QStringLiteral(":/scoutwell/icons/scoutwell-%1.png").arg(size),
                     QSize(size, size));
    return icon;
}

QString CompanyName()
{
    return QStringLiteral("Kestrelmoor Works");
}

int AppMajor()
{
    return SCOUTWELL_VERSION_MAJOR;
}

int AppMinor()
{
    return SCOUTWELL_VERSION_MINOR;
}

QString VersionText(int major, int minor)
{
    return QString::number(major) + QLatin1Char('.') + QString::number(minor);
}

QString MainCaption()
{
    return AppTitle() + QStringLiteral(" v") + VersionText(AppMajor(), AppMinor());
}

QString ProgramFolder()
{
    if (!programFolderOverride().isEmpty())
        return programFolderOverride();
    return QCoreApplication::applicationDirPath();
}

void SetProgramFolder(const QString &path)
{
    programFolderOverride() = path;
}

QString DataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/ScoutwellV3");
}

QString SetAside(const QString &file)
{
    QString target = file + QStringLiteral(".bad");
    // A dangling link counts as taken too: renaming onto it would replace the link.
    for (int n = 1; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n)
        target = file + QStringLiteral(".bad.") + QString::number(n);
    return QFile::rename(file, target) ? target : QString();
}

QString UserFilesFolder()
{
    const QString program = ProgramFolder();
    if (QFileInfo(program).isWritable())
        return program;
    // An installed copy: its folder belongs to root.
    const QString own = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/ScoutwellV3");
    const QString favourites = own + QStringLiteral("/favourites.ini");
    if (!QFileInfo::exists(favourites)) {
        QDir().mkpath(own);
        // The copy keeps the shipped file's mode, which may be read-only.
        if (QFile::copy(program + QStringLiteral("/favourites.ini"), favourites))
            QFile::setPermissions(favourites,
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
                                      | QFile::ReadOther);
    }
    return own;
}

} // namespace app
