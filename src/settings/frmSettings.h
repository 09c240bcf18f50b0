#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Settings": start page, home page, search engine, background picture and the splash
// switch. Its four fields are also the program's working copy of those settings: the Home
// and Search commands navigate to what they hold, even before Save.
class frmSettings : public QWidget
{
    Q_OBJECT
public:
    frmSettings();

    void Form_Load();

    QLineEdit *txtStartPage;
    QLineEdit *txtHomePage;
    QLineEdit *SE;
    QLineEdit *BGRnd;
    QCheckBox *chkSplash;
    QLabel *Label4; // receives "Tips"; nothing reads it
    QPushButton *Command1; // start page "Default"
    QPushButton *Command3; // home page "Default"
    QPushButton *Command6; // search engine "Default"
    QPushButton *Command4; // "Browse"
    QPushButton *Command2; // "Cancel"
    QPushButton *cmdSave;

    void chkSplash_Click();
    void Command1_Click();
    void Command3_Click();
    void Command6_Click();
    void Command4_Click();
    void cmdSave_Click();
    void Command2_Click();

    // The search engine of a fresh profile, and the one the Default button puts in.
    static QString DefaultSearchEngine();
    static QString AesopSearchEngine();

private:
    void setupControls();
};
