#pragma once

#include <QString>

// Addresses from outside the program: the one on the command line and those later starts
// hand over. Each opens in the browser window as if typed in the address box, once the
// start-up sequence (splash, login) has shown the main window; until then the latest waits.
namespace externalAddress {

// Opens the address (an empty one opens nothing) and brings the program to the front.
void Open(const QString &address);

// The main window's load has opened the browser window: the waiting address goes there.
void MainWindowLoaded();

} // namespace externalAddress
