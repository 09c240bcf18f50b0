#include "favourites/FavouritesMenu.h"

#include "app/App.h"
#include "app/Forms.h"
#include "app/Hosts.h"
#include "app/MDIForm1.h"
#include "browse/basNav.h"
#include "favourites/mduIni.h"

#include <QAction>
#include <QMenu>

#include <malloc.h>

namespace favourites {

QString FavouritesFile()
{
    return app::UserFilesFolder() + QStringLiteral("/favourites.ini");
}

QString EntryKey(qint16 n)
{
    return QLatin1Char(' ') + QString::number(n);
}

namespace {

MenuState &menuState()
{
    static MenuState state;
    return state;
}

} // namespace

const MenuState &Menu()
{
    return menuState();
}

void BuildFavouritesMenu(MDIForm1 *main)
{
    MenuState &m = menuState();
    m = MenuState {FavouritesFile(), 0};
    const QString section = QStringLiteral("Favourites");
    // The counter is 16-bit, so the list stops at the last number it can hold instead of
    // overflowing (which would abort the whole start-up of the main window).
    while (m.FavouriteCount < kMaxFavourites) {
        ++m.FavouriteCount;
        const QString caption
            = mduIni::ReadIni(section, EntryKey(m.FavouriteCount), m.FavouritesPath);
        if (caption.isEmpty())
            break;
        // The caption goes in as it is: "&" marks the access key, and a lone "-" is a
        // separator line, as in every menu of the program (a plain one: a separator with
        // text would be drawn as a titled section).
        QAction *item = caption == QLatin1String("-") ? main->mnuFavs->addSeparator()
                                                      : main->mnuFavs->addAction(caption);
        main->mnuFT1.append(item);
    }
    // Reading a large file leaves freed heap behind (its lines, the index's growth): give
    // it back to the system rather than hold it for the rest of the run.
    if (m.FavouriteCount > kTrimAfter)
        ::malloc_trim(0);
}

void mnuFT1_Click(MDIForm1 *main, qint16 Index)
{
    if (Index < 1 || Index >= main->mnuFT1.size())
        return;
    if (main->mnuFT1.at(Index)->text() == QLatin1String(MakerCaption))
        return;
    const QString address
        = mduIni::ReadIni(QStringLiteral("Links"), EntryKey(Index), Menu().FavouritesPath);
    basNav::Navigate(address);
}

void mnuFTG_Click()
{
    basNav::Navigate(QLatin1String(hosts::Maker));
}

} // namespace favourites
