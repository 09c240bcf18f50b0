#include "security/Passcode.h"

#include "settings/ProgramSettings.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>

bool PasscodeMatches(const QString &entry)
{
    return settings::PasscodeSetting().matches(entry);
}

void MaskWithStars(QLineEdit *box)
{
    box->setEchoMode(QLineEdit::Password);
    // The style's own mask character is often a bullet; these boxes have always shown "*".
    box->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
}
