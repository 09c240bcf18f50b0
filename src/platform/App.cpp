#include "platform/App.h"

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

namespace platform {

namespace {
constexpr int kTwipsPerPixel = 12;

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

int Twips(int twips)
{
    return static_cast<int>(std::lround(twips / double(kTwipsPerPixel)));
}

int ToTwips(int pixels)
{
    return pixels * kTwipsPerPixel;
}

void CentreOnScreen(QWidget *w)
{
    if (QScreen *screen = QGuiApplication::primaryScreen())
        w->move(screen->availableGeometry().center() - w->rect().center());
}

void PlaceTwips(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(Twips(left), Twips(top), Twips(width), Twips(height));
}

QByteArray EngineFlagsFor(bool runningAsRoot, const QByteArray &flags)
{
    if (!runningAsRoot || flags.split(' ').contains("--no-sandbox"))
        return flags;
    return flags.isEmpty() ? QByteArray("--no-sandbox") : flags + " --no-sandbox";
}

void ConfigureBrowserEngine()
{
    // The graphics driver and Qt keep compiled shaders in caches of their own beside the
    // user's other caches; this program keeps every cache of its own in its cache folder.
    // Qt's is small and is skipped; the driver's is pointed at the program's cache folder
    // unless the user chose a place for it.
    QCoreApplication::setAttribute(Qt::AA_DisableShaderDiskCache);
    if (!qEnvironmentVariableIsSet("MESA_SHADER_CACHE_DIR")) {
        // The driver makes the last folder of the path only.
        const QString shaders
            = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
            + QStringLiteral("/ScoutwellV3/shaders");
        QDir().mkpath(shaders);
        qputenv("MESA_SHADER_CACHE_DIR", QFile::encodeName(shaders));
    }
    if (::geteuid() != 0)
        return;
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
            EngineFlagsFor(true, qgetenv("QTWEBENGINE_CHROMIUM_FLAGS")));
    std::fprintf(stderr, "scoutwell: running as root, so the browser engine's sandbox is off\n");
}

} // namespace platform
