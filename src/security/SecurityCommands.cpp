#include "security/SecurityCommands.h"

#include "app/CommandWiring.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "compat/Dialogs.h"
#include "compat/Settings.h"
#include "security/Passcode.h"
#include "security/Security.h"
#include "security/Security2.h"
#include "settings/frmSettings.h"

#include <QAction>
#include <QLabel>

using compat::GetSetting;

void TSecurity_Click()
{
    QLabel *carrier = Forms::get<Security2>()->lblPassword;
    carrier->setText(GetSetting(QStringLiteral("PSec"), QString()));
    const QString flag = carrier->text();
    if (flag == QLatin1String("0") || flag.isEmpty())
        Forms::Show<Security2>();
    else if (flag == QLatin1String("1"))
        Forms::Show<Security>();
}

void TSettings_Click()
{
    QLabel *carrier = Forms::get<Security2>()->lblSet;
    carrier->setText(GetSetting(QStringLiteral("PSet"), QString()));
    const QString flag = carrier->text();
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
