#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;

namespace widgets {
class ClickLabel;
}

// "Scoutwell Search Engine": a keyword and a freeware download site make that site's own
// search address, opened in the browser window.
class FFw : public QWidget
{
    Q_OBJECT
public:
    FFw();

    void Form_Load() { }

    QComboBox *cboFS;
    QLineEdit *txtKeyword;
    QLabel *Label1;
    QLabel *Label3;
    widgets::ClickLabel *Label5; // "SEARCH!"

    void Label5_Click();

    // The site box's text before a site is chosen; it names no site.
    static QString SitePrompt();

private:
    void setupControls();
};
