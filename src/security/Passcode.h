#pragma once

#include <QString>

class QLineEdit;
class QWidget;

// The passcode's working copy lives in Form3's hidden field Text4; every prompt compares
// against it, never against the store.

// Fills the working copy from the stored "Passcode"; a longer stored value keeps its first
// ten characters, as the field holds no more.
void LoadPasscodeCopy();

// The one comparison rule: the whole entry against the working copy, character for
// character, case and blanks included.
bool PasscodeMatches(const QString &entry);

// Passcode boxes show each typed character as "*".
void MaskWithStars(QLineEdit *box);
