#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;

// What the login and the security-area prompt share: a masked "Password" box with OK and
// Cancel, neither of them a default or cancel button, so Enter and Esc press nothing.
class PasscodePrompt : public QWidget
{
    Q_OBJECT
public:
    QLineEdit *Text1;
    QPushButton *Command1; // "OK"
    QPushButton *Command2; // "Cancel"

    // OK: a matching entry goes on; any other is refused with the system-modal box and the
    // focus goes back into the box, the typed text left as it is.
    void Command1_Click();
    virtual void Command2_Click() = 0;

protected:
    explicit PasscodePrompt(const QString &caption);
    virtual void accepted() = 0;
    // The title-bar close does what Cancel does.
    void closeEvent(QCloseEvent *event) override;
};
