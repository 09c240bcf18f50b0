#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

namespace settings {
class WorkingCopy;
}

// "Settings": start page, home page, search engine, background picture and the splash
// switch. Its four fields edit the settings' working copy, which lives as long as this
// window: the Home and Search commands navigate to what it holds, even before Save.
class frmSettings : public QWidget
{
    Q_OBJECT
public:
    frmSettings();

    void Form_Load();
    // The working copy goes with the window, so the next use starts from the store.
    void Form_Unload();

    QLineEdit *txtStartPage;
    QLineEdit *txtHomePage;
    QLineEdit *SE;
    QLineEdit *BGRnd;
    QCheckBox *chkSplash;
    QCheckBox *chkHttpsFirst; // "Try secure connections first"
    QLabel *Label4; // shows "Tips"; nothing reads it
    QPushButton *Command1; // start page "Default"
    QPushButton *Command3; // home page "Default"
    QPushButton *Command6; // search engine "Default"
    QPushButton *Command4; // "Browse"
    QPushButton *Command2; // "Cancel"
    QPushButton *cmdSave;
    QTreeView *lstPermissions; // "Site permissions": the answers given to sites' requests
    QPushButton *cmdRemovePermission;

    void chkSplash_Click();
    void Command1_Click();
    void Command3_Click();
    void Command6_Click();
    void Command4_Click();
    void cmdSave_Click();
    void Command2_Click();
    // The selected answers are forgotten: their sites ask again.
    void cmdRemovePermission_Click();

private:
    void setupControls();
    // The fields and the working copy follow each other.
    void bindFields();

    settings::WorkingCopy *m_copy = nullptr;
};
