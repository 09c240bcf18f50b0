#pragma once

class QLabel;
class QWidget;

// The look the finding windows share: a quiet window and a "SEARCH!" or "GO!" label that
// reads as the button it is.
namespace findstyle {

void styleWindow(QWidget *window);
void styleActionLabel(QLabel *label);

} // namespace findstyle
