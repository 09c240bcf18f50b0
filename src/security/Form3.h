#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;

// "Change Password". Its hidden field Text4 shows the passcode the prompts compare against
// (settings::PasscodeSetting()); Change stores a new one there.
class Form3 : public QWidget
{
    Q_OBJECT
public:
    Form3();

    void Form_Load();

    QLineEdit *Text1; // old passcode
    QLineEdit *Text2; // new passcode
    QLineEdit *Text3; // retype
    QLineEdit *Text4; // working copy, outside the visible area
    QPushButton *Command1; // "Change"
    QPushButton *Command2; // "Cancel"

    // Change: a wrong old passcode locks the main window for the rest of the run and
    // closes this window with nothing stored.
    void Command1_Click();
    void Command2_Click();

protected:
    // The title-bar close is Cancel.
    void closeEvent(QCloseEvent *event) override;

private:
    void setupControls();
};
