#pragma once

#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QTextEdit;

namespace settings {
class Setting;
}

// "Restricted Area": the switches of the site log and the three passcode locks. The switches
// themselves are settings::Switches(); the check boxes and the hidden carriers show them, and
// a box's click stores its switch at once.
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
    // Hidden carriers: the switch's text exactly as last read or written.
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
    // The boxes' right-click menus, each with the one entry "Whats This?".
    QMenu *mnuLogWT;
    QMenu *mnuProgWT;
    QMenu *mnuPWordWT;
    QMenu *mnuPSetWT;

    // Outer widths, in twips, that RSis() knows: a window exactly kRSisFrom wide is
    // widened to kRSisTo.
    static constexpr int kRSisFrom = 4530;
    static constexpr int kRSisTo = 6345;
    // Client widths, in twips, without and with the Information frame in view.
    static constexpr int kClientWidth = 3090;
    static constexpr int kClientWidthWithInfo = 6255;
    static constexpr int kClientHeight = 3120;

    void RSis();

    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    void Check4_Click();
    void mnuLogWT_Click();
    void mnuProgWT_Click();
    void mnuPWordWT_Click();
    void mnuPSetWT_Click();
    void Command1_Click(); // "Hide"
    void Command2_Click(); // "Internet Options"
    void Command3_Click(); // "Modem Options"
    void cmdCPword_Click();
    void cmdSave_Click();

protected:
    // The title-bar close is "Save and Exit".
    void closeEvent(QCloseEvent *event) override;
    // A right button pressed on a check box opens that box's pop-up menu.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setupControls();
    // Box and carrier show the switch, and the box's click rule stores it.
    void bindSwitch(QCheckBox *box, QLabel *carrier, settings::Setting &setting);
    // The load rule: the switch read with the load's default, the box set from that text
    // when it is "0" or "1".
    static void loadSwitch(QCheckBox *box, settings::Setting &setting, const char *def);
    // "Whats This?": the help text into the Information box, which comes into view.
    void showHelp(int row);
    void setInformationShown(bool shown);
    // Starts one of the two control panels, or says that this desktop has no program
    // for it.
    static void startControlPanel(const char *commandLine, const QString &what);
};
