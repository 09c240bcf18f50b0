#pragma once

#include <QPointF>

class QImage;
class QWidget;

// What a window's own drawing and frame need of the window system.
namespace compat {

// The window's persistent image: whatever is drawn into it stays on the window, under its
// child controls, through every repaint, until drawn over. Created on first use, as large
// as the window has ever been; areas never drawn show the window's own background.
// Call update() on the window after drawing.
QImage &AutoRedrawImage(QWidget *window);

// Takes the title bar away. The client area keeps its size: the space the title bar took
// goes with it.
void RemoveTitleBar(QWidget *window);

// Called on a left-button press (at globalPress): the window follows the mouse until the
// button is released. The window system's own move is used where it offers one.
void BeginWindowDrag(QWidget *window, QPointF globalPress);

} // namespace compat
