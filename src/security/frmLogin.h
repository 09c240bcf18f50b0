#pragma once

#include "security/PasscodePrompt.h"

// "Login": asks for the passcode before the main window opens, when the program lock is on.
class frmLogin : public PasscodePrompt
{
    Q_OBJECT
public:
    frmLogin();

    void Form_Load();

    // Closes the login and the splash and ends the program; the title-bar close does the
    // same, so a closed login never leaves the program running without a window.
    void Command2_Click() override;

protected:
    // The right passcode: the main window opens, the login closes and the splash's
    // program-lock check never runs again.
    void accepted() override;
};

// The one way the start-up opens the login window.
void ShowLoginWindow();
