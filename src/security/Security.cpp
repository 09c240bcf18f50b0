#include "security/Security.h"

#include "app/Forms.h"
#include "security/Passcode.h"
#include "security/Security2.h"

Security::Security() : PasscodePrompt(QStringLiteral("Security Login")) { }

void Security::Form_Load() { }

void Security::accepted()
{
    Forms::Show<Security2>();
    Forms::Unload<Security>();
}

void Security::Command2_Click()
{
    Forms::Unload<Security>();
}
