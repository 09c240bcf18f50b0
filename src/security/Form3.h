#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;

// "Change Password". Its hidden field Text4 is the program's working copy of the passcode,
// which every passcode prompt compares against.
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

    // Passcodes set through this window have at most this many characters.
    static constexpr int kMaxPasscode = 10;

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
