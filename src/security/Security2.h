#pragma once

#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTextEdit;

// "Restricted Area": the switches of the site log and the three passcode locks. Besides
// being a window it holds the live state of those four flags: its check boxes and their
// hidden carriers are read by the start-up, the gates and the site log, so it usually
// exists hidden long before the user opens it.
class Security2 : public QWidget
{
    Q_OBJECT
public:
    Security2();

    void Form_Load();

    QGroupBox *fOpt;
    QCheckBox *Check1; // "Log visited websites" / "Log"
    QCheckBox *Check2; // "Program" / "PProg"
    QCheckBox *Check3; // "Security Area" / "PSec"
    QCheckBox *Check4; // "Settings" / "PSet"
    // Hidden carriers: the flag text exactly as last read or written.
    QLabel *lblLog;
    QLabel *lblProgram;
    QLabel *lblPassword;
    QLabel *lblSet;
    QPushButton *Command2; // "Internet Options"
    QPushButton *Command3; // "Modem Options"
    QPushButton *cmdCPword;
    QPushButton *cmdSave;
    QGroupBox *Frame1;
    QTextEdit *txtInfo;
    QPushButton *Command1; // "Hide"

    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    void Check4_Click();
    void cmdSave_Click();

private:
    void setupControls();
    // The click rule shared by the four boxes: the carrier follows the box and the store
    // follows the carrier, at once.
    static void applyClickRule(QCheckBox *box, QLabel *carrier, const char *key);
    // The load rule: carrier from the store, box from the carrier when it is "0" or "1".
    static void loadSwitch(QCheckBox *box, QLabel *carrier, const char *key, const char *def);
};
