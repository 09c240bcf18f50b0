#pragma once

class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace widgets {
class ClickLabel;
}

// The look the finding windows share: a quiet window and a "SEARCH!" or "GO!" label that
// reads as the button it is.
namespace findstyle {

void styleWindow(QWidget *window);
void styleActionLabel(QLabel *label);

// The part both search windows share, under their list of names: the "Keyword:" caption,
// the keyword box and the "SEARCH!" label, laid out as designed, tabbing from the list.
struct KeywordRow
{
    QLabel *caption;
    QLineEdit *keyword;
    widgets::ClickLabel *search;
};
KeywordRow addKeywordRow(QWidget *window, QComboBox *list);

} // namespace findstyle
