#pragma once

#include <QIcon>
#include <QString>

class QWidget;

// The program's identity and place, and the unit conversion the windows' designs need.
namespace platform {

// "Scoutwell": the program's title, used where a box has no title of its own.
QString AppTitle();

// The version the build was made with (3.3 for this release).
int AppMajor();
int AppMinor();

// Major and minor joined as the program shows them: 3 and 3 give "3.3", 4 and 10 "4.10".
QString VersionText(int major, int minor);

// The program's window icon: the drawing the desktop's launcher shows.
QIcon AppIcon();

// The maker's company name, as the program's version information holds it.
QString CompanyName();

// "Scoutwell v3.3": the main window's caption and the title of most of the program's boxes.
QString MainCaption();

// The folder that holds the executable, without a trailing separator. favourites.ini,
// sitelog.f and the help program stand in it.
QString ProgramFolder();

// Lets tests point the program folder at a temporary folder. An empty path restores the
// executable's folder.
void SetProgramFolder(const QString &path);

// The folder for the user's own files (favourites.ini, sitelog.f): the program's folder
// when the user may write there (a build, a copy in the home folder), otherwise
// $XDG_DATA_HOME/ScoutwellV3, where the shipped favourites.ini is copied the first time it
// is needed. Every reader and writer of those files asks here.
QString UserFilesFolder();

// Window designs are measured in twips (1440 an inch) and were drawn for an 8-point dialog
// font at 96 dots to the inch, 15 twips a pixel. Qt lays widgets out in device-independent
// pixels and scales them on dense screens itself, but the desktop's default font is a good
// quarter wider than the design's, so the designs are laid out as on a "large fonts"
// screen: 12 twips a pixel. Captions then fit where the design put them.
int Twips(int twips);
int ToTwips(int pixels);

// Puts a top-level window in the middle of the primary screen, as the designs open them.
void CentreOnScreen(QWidget *w);

// Positions and sizes a widget from a design given in twips.
void PlaceTwips(QWidget *w, int left, int top, int width, int height);

// Must run before the QApplication is created: the browser engine's sandbox stays on for
// an ordinary user and is switched off only when running as root, where it cannot work;
// the graphics caches go to the program's cache folder.
void ConfigureBrowserEngine();

// The engine's command-line flags with the sandbox switched off for root, and left as
// they are for anyone else.
QByteArray EngineFlagsFor(bool runningAsRoot, const QByteArray &flags);

} // namespace platform
