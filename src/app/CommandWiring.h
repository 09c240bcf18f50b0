#pragma once

class MDIForm1;

// Each subsystem connects its own menu items and buttons of the main window, so the main
// window's file does not grow a handler for every tool. Called once, from the main
// window's constructor.
void wireFindCommands(MDIForm1 *main); // find/
void wireFavouriteCommands(MDIForm1 *main); // favourites/
void wireSecurityCommands(MDIForm1 *main); // security/
void wireHistoryCommands(MDIForm1 *main); // history/
void wirePageCommands(MDIForm1 *main); // browse/ (page and help commands)
void wireDownloadCommands(MDIForm1 *main); // downloads/
void wireGuardCommands(MDIForm1 *main); // guard/
