#pragma once

#include <QString>

class QLineEdit;
class QWidget;

// The one comparison rule: the whole entry against the passcode (its first ten characters),
// character for character, case and blanks included.
bool PasscodeMatches(const QString &entry);

// Passcode boxes show each typed character as "*".
void MaskWithStars(QLineEdit *box);
