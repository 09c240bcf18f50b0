#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;

namespace widgets {
class ClickLabel;
}

// "Go to keyword ...": type a keyword, press GO! (or Enter) and go to its site. The window
// closes after every attempt, good or bad.
class frmGoToKeyword : public QWidget
{
    Q_OBJECT
public:
    frmGoToKeyword();

    void Form_Load() { }

    QLabel *Label1;
    QLabel *Label2;
    QLineEdit *txtGTKeyword;
    widgets::ClickLabel *Image3; // GO!
    widgets::ClickLabel *Label3;
    widgets::ClickLabel *Image4; // Keyword List
    widgets::ClickLabel *Label4;
    QLabel *Image1;
    QLabel *Image2;

    void Image3_Click();
    void Image4_Click();
    void txtGTKeyword_KeyPress(int &keyAscii);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setupControls();
};
