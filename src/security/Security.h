#pragma once

#include "security/PasscodePrompt.h"

// "Security Login": asks for the passcode before the security options window opens, when
// the security-area lock is on.
class Security : public PasscodePrompt
{
    Q_OBJECT
public:
    Security();

    void Form_Load();

    // Closes the prompt; nothing else happens.
    void Command2_Click() override;

protected:
    void accepted() override;
};
