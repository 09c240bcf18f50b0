#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;

// "Login": asks for the passcode before the main window opens, when the program lock is on.
class frmLogin : public QWidget
{
    Q_OBJECT
public:
    frmLogin();

    void Form_Load();

    QLineEdit *Text1;
    QPushButton *Command1; // "OK"
    QPushButton *Command2; // "Cancel"

    void Command1_Click();
    void Command2_Click();

protected:
    // Closing the login through its title bar ends the program, as Cancel does.
    void closeEvent(QCloseEvent *event) override;

private:
    void setupControls();
};

// The one way the start-up opens the login window.
void ShowLoginWindow();
