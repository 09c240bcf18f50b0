#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;

namespace platform {
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
    platform::ClickLabel *Image3; // GO!
    platform::ClickLabel *Label3;
    platform::ClickLabel *Image4; // Keyword List
    platform::ClickLabel *Label4;
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
