#include "app/CommandWiring.h"

#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "favourites/FavouritesMenu.h"
#include "favourites/frmOrganize.h"

#include <QAction>
#include <QMenu>

void wireFavouriteCommands(MDIForm1 *main)
{
    QObject::connect(main->mnuFTG, &QAction::triggered, main, [] { favourites::mnuFTG_Click(); });
    QObject::connect(main->mnuOrganize, &QAction::triggered, main,
                     [] { Forms::Show<frmOrganize>(); });
    // The favourites are added at load, after this runs: one connection on the menu serves
    // them all, however many there are.
    QObject::connect(main->mnuFavs, &QMenu::triggered, main, [main](QAction *item) {
        const qsizetype index = main->mnuFT1.indexOf(item);
        if (index >= 1)
            favourites::mnuFT1_Click(main, static_cast<qint16>(index));
    });
}
