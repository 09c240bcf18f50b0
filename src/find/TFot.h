#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;

namespace widgets {
class ClickLabel;
}

// "Find on the web": a keyword and a general search engine make that engine's results
// address, opened in the browser window.
class TFot : public QWidget
{
    Q_OBJECT
public:
    TFot();

    void Form_Load() { }

    QComboBox *cboSE;
    QLineEdit *txtKeyword;
    QLabel *Label1;
    widgets::ClickLabel *Label5; // "SEARCH!"

    void Label5_Click();

    // The engine box's text before an engine is chosen.
    static QString EnginePrompt();

private:
    void setupControls();
};
