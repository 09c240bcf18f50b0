#pragma once

#include <QMargins>
#include <QRect>

class QScreen;
class QWidget;

// Where the program's windows go on the screen: always wholly inside the screen's available
// area (the part panels leave free), frame included, whatever the scale factor makes of
// their sizes.
namespace widgets {

// The rectangle a window's frame takes when it wants `frame` and must lie inside `area`:
// no larger than the area, and moved in by the least distance.
QRect FitInside(const QRect &frame, const QRect &area);

// The screen the pointer is on: a new main window opens where the user is looking.
QScreen *ScreenUnderPointer();

// The margins the window manager's frame adds around the window. Before a window is first
// shown its frame is not known yet; the frame of another shown window of the program stands
// in for it (the same window manager draws them alike).
QMargins FrameMargins(const QWidget *window);

// Shrinks a window whose frame would not fit the available area of `screen` (its own screen
// when null) and moves it inside. A shrunk window's scroll areas scroll both ways, so
// nothing of its content is out of reach.
void FitOnScreen(QWidget *window, QScreen *screen = nullptr);

// Fits the window on its screen each time it is shown by the program, however that is
// done (not when the window manager brings it back from minimized).
void FitOnScreenWhenShown(QWidget *window);

// Shows a window that may be open already: restored when minimized, raised and given the
// keyboard.
void BringToFront(QWidget *window);

// Whenever `owner` becomes the active window (a click on its page, say), the windows it
// owns that are open and not minimized are raised above it again.
void KeepOwnedWindowsAbove(QWidget *owner);

// Keeps the window's frame inside the screen once the window manager has framed it: until
// then the frame's size is a guess, and a window placed with a wrong guess would have its
// title bar or its bottom edge off the screen.
void KeepFrameOnScreen(QWidget *window);

} // namespace widgets
