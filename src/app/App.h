#pragma once

#include <QIcon>
#include <QString>

class QWidget;

// The program's identity and place, and the unit conversion the windows' designs need.
namespace app {

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

// $XDG_DATA_HOME/ScoutwellV3: the folder of the lists the program keeps for the user
// (downloads.json, guard.ini, permissions.ini, sites.ini), without a trailing separator.
QString DataFolder();

// Moves a damaged file out of the way, to "<file>.bad" or, when that is taken, the first free
// one of "<file>.bad.1", "<file>.bad.2", ...: never over an earlier one, which may be the only
// copy of older data. The name it now has, or "" when it could not be moved.
QString SetAside(const QString &file);

} // namespace app
