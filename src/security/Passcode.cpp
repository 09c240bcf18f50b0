#include "security/Passcode.h"

#include "app/Forms.h"
#include "compat/Settings.h"
#include "security/Form3.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>

void LoadPasscodeCopy()
{
    // The field's length limit cuts the stored text to its first ten characters.
    Forms::get<Form3>()->Text4->setText(compat::GetSetting(QStringLiteral("Passcode"), QString()));
}

bool PasscodeMatches(const QString &entry)
{
    return entry == Forms::get<Form3>()->Text4->text();
}

void MaskWithStars(QLineEdit *box)
{
    box->setEchoMode(QLineEdit::Password);
    // The style's own mask character is often a bullet; these boxes have always shown "*".
    box->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
}
