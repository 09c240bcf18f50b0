#include "platform/App.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
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
    if (::geteuid() != 0)
        return;
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
            EngineFlagsFor(true, qgetenv("QTWEBENGINE_CHROMIUM_FLAGS")));
    std::fprintf(stderr, "scoutwell: running as root, so the browser engine's sandbox is off\n");
}

} // namespace platform
