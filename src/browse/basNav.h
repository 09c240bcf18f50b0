#pragma once

// The navigation commands behind the toolbar buttons. Each acts on the one browser window,
// creating it first when the user has closed it.
namespace basNav {

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
