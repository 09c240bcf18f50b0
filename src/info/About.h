#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// "About": the program's title, version, maker, home page and licence, with a disclaimer.
class About : public QWidget
{
    Q_OBJECT
public:
    About();

    void Form_Load();

    QLabel *Image1; // the program's picture
    QLabel *Label1; // title
    QLabel *Label2, *Label8, *Label13; // "Version" ":" version text
    QLabel *Label3, *Label10, *Label15; // "Author" ":" maker
    QLabel *Label4, *Label11, *Label16; // "Homepage" ":" address, plain text
    QLabel *Label5, *Label12, *Label17; // "Licence" ":" licence kind
    QLabel *Label7; // disclaimer
    QLabel *Label6; // ownership line: opens the maker's site in the desktop's browser
    QPushButton *Command1; // "&Close"

    void Command1_Click();
    void Label6_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setupControls();
};
