#pragma once

#include <QString>
#include <QtGlobal>

class MDIForm1;

// The Favourites menu: the entries of favourites.ini become items at its end when the main
// window loads, and each item opens its address, read afresh from the file at the click.
namespace favourites {

// Entry numbers are 16-bit: the list holds at most this many favourites.
inline constexpr qint16 kMaxFavourites = 32767;

// The caption of the maker's entry; a favourite with this caption does nothing.
inline constexpr char MakerCaption[] = "Kestrelmoor Works";

// The folder for the user's files, "/", "favourites.ini".
QString FavouritesFile();

// The key of entry n as the number-to-text conversion writes a positive number: a blank,
// then the decimal digits (" 1", " 2", ...). The reader ignores the blank.
QString EntryKey(qint16 n);

// Favourites beyond which the menu's build gives the heap left over by reading back.
inline constexpr qint16 kTrimAfter = 1000;

// What the menu's build leaves for the clicks: the full path of favourites.ini, and the
// number of the entry that ended the list.
struct MenuState
{
    QString FavouritesPath;
    qint16 FavouriteCount = 0;
};
const MenuState &Menu();

// Sets FavouritesPath and appends one item behind the mnuFT1 separator for each entry,
// in number order, up to the first entry without a caption (or the last number there is).
void BuildFavouritesMenu(MDIForm1 *main);

// Favourite Index was chosen: open its "Links" value, whatever it holds.
void mnuFT1_Click(MDIForm1 *main, qint16 Index);

// The maker's entry: the root of the maker's web site.
void mnuFTG_Click();

} // namespace favourites
