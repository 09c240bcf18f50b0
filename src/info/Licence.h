#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class QPlainTextEdit;

// The licence under which the program is released, and a name for it.
QString LicenceText();
QString LicenceKind();

// "Licence": the licence terms.
class Licence : public QWidget
{
    Q_OBJECT
public:
    Licence();

    void Form_Load();

    QLabel *Label1; // " Licence Information"
    QFrame *Shape1;
    QPlainTextEdit *Text1; // the terms
    QLabel *Label4; // "Close", a label used as a button

    void Label4_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setupControls();
};
