#pragma once

namespace engine {
class Download;
}

// How downloads meet the rest of the program: the window that comes up when one starts,
// the browser window's status bar, and the question before the program ends.
namespace downloads {

// A download the engine started: onto the list, and the Downloads window shows it.
void Track(engine::Download *download);

// Asks "N download(s) still running. Cancel them and exit?" when any is; true when the
// program may end (nothing running, or the user said Yes and they were cancelled).
bool ConfirmExit();

} // namespace downloads
