#include "platform/App.h"

#include <QCoreApplication>
#include <QWidget>

#include <cmath>
#include <cstdio>
#include <unistd.h>

namespace platform {

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
    return static_cast<int>(std::lround(twips / 15.0));
}

int ToTwips(int pixels)
{
    return pixels * 15;
}

void PlaceTwips(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(Twips(left), Twips(top), Twips(width), Twips(height));
}

void ConfigureBrowserEngine()
{
    if (::geteuid() != 0)
        return;
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--no-sandbox")) {
        flags.append(flags.isEmpty() ? "--no-sandbox" : " --no-sandbox");
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    }
    std::fprintf(stderr, "scoutwell: running as root, so the browser engine's sandbox is off\n");
}

} // namespace platform
