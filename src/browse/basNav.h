#pragma once

#include <QString>

// The navigation commands behind the toolbar buttons. Each acts on the one browser window,
// creating it first when the user has closed it.
namespace basNav {

// Every navigation of the program goes here: to the one browser window's control, the
// window made again first when the user has closed it. The address goes exactly as given.
void Navigate(const QString &address);

void NavBack();
void NavForward();
void NavStop();
// Loads again the address the browser reports now (after any redirect), as a new navigation.
void NavRefresh();
// Go to the home page or the search page (the settings window's, saved or not, while it is
// open), then hide that window.
void NavHome();
void NavSearch();

} // namespace basNav
