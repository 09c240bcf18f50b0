#pragma once

#include <QByteArray>

namespace engine {

// Must run before the QApplication is created: the browser engine's sandbox stays on for
// an ordinary user and is switched off only when running as root, where it cannot work;
// the graphics caches go to the program's cache folder.
void ConfigureBrowserEngine();

// Keeps the engine's start-up report and the pages' console messages off standard error,
// unless the user asked for them (`verbose`) or set logging rules of their own.
void QuietEngineMessages(bool verbose);

// The engine's command-line flags with the sandbox switched off for root, and left as
// they are for anyone else.
QByteArray EngineFlagsFor(bool runningAsRoot, const QByteArray &flags);

} // namespace engine
