#pragma once

class QWidget;

namespace compat {

// Window designs are measured in twips (1440 an inch) and were drawn for an 8-point dialog
// font at 96 dots to the inch, 15 twips a pixel. Qt lays widgets out in device-independent
// pixels and scales them on dense screens itself, but the desktop's default font is a good
// quarter wider than the design's, so the designs are laid out as on a "large fonts"
// screen: 12 twips a pixel. Captions then fit where the design put them.
int Twips(int twips);
int ToTwips(int pixels);

// Puts a top-level window in the middle of the primary screen, as the designs open them.
void CentreOnScreen(QWidget *w);

// Positions and sizes a widget from a design given in twips.
void PlaceTwips(QWidget *w, int left, int top, int width, int height);

} // namespace compat
