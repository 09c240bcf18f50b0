#include "security/SecurityCommands.h"

#include "app/CommandWiring.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "compat/Dialogs.h"
#include "security/Passcode.h"
#include "security/Security.h"
#include "security/Security2.h"
#include "settings/ProgramSettings.h"
#include "settings/frmSettings.h"

#include <QAction>
#include <QLabel>

void TSecurity_Click()
{
    // The security window is loaded hidden first, as the gate always has; its load settles
    // the switches in the store.
    Forms::get<Security2>();
    const QString flag = settings::Switches().securityArea.read(QString());
    if (flag == QLatin1String("0") || flag.isEmpty())
        Forms::Show<Security2>();
    else if (flag == QLatin1String("1"))
        Forms::Show<Security>();
}

void TSettings_Click()
{
    Forms::get<Security2>();
    const QString flag = settings::Switches().settingsLock.read(QString());
    if (flag == QLatin1String("0") || flag.isEmpty()) {
        Forms::Show<frmSettings>();
    } else if (flag == QLatin1String("1")) {
        // Cancel gives "", which is compared like an empty entry.
        const QString entry = compat::InputBox(QStringLiteral("Password Required"),
                                               QStringLiteral("Authentication"), QString());
        if (PasscodeMatches(entry))
            Forms::Show<frmSettings>();
        else
            compat::MsgBox(QStringLiteral("Incorrect password, access denied"),
                           compat::vbExclamation, QStringLiteral("Error"));
    }
}

void wireSecurityCommands(MDIForm1 *main)
{
    QObject::connect(main->TSecurity, &QAction::triggered, main, [] { TSecurity_Click(); });
    QObject::connect(main->TSettings, &QAction::triggered, main, [] { TSettings_Click(); });
}
