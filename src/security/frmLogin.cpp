#include "security/frmLogin.h"

#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "app/frmSplash.h"
#include "security/Passcode.h"

#include <QCoreApplication>
#include <QTimer>

void ShowLoginWindow()
{
    Forms::Show<frmLogin>();
}

frmLogin::frmLogin() : PasscodePrompt(QStringLiteral("Login")) { }

void frmLogin::Form_Load() { }

void frmLogin::accepted()
{
    Forms::Show<MDIForm1>();
    Forms::Unload<frmLogin>();
    if (Forms::isLoaded<frmSplash>())
        Forms::get<frmSplash>()->stopLockCheck();
}

void frmLogin::Command2_Click()
{
    Forms::Unload<frmLogin>();
    Forms::Unload<frmSplash>();
    // The working copies loaded hidden before the login go too, or the program would
    // keep running without a window.
    Forms::UnloadAll();
    QCoreApplication::quit();
}
