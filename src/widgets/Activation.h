#pragma once

#include <functional>

class QWidget;

namespace widgets {

// Runs `handler` each time the window becomes the active window, and also each time it is
// shown: not every window system activates a window it shows (a borderless one, or any
// window without a window manager), and what the handler sets up is needed all the same.
void OnActivate(QWidget *window, std::function<void()> handler);

} // namespace widgets
