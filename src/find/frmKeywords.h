#pragma once

#include <QWidget>

class QPlainTextEdit;
class QTextEdit;

// "Scoutwell Keywords": every keyword with what it does, and a short help on keywords. For
// reading only.
class frmKeywords : public QWidget
{
    Q_OBJECT
public:
    frmKeywords();

    void Form_Load() { }

    QTextEdit *txtKWList;
    QPlainTextEdit *Text1;

    // The one-line description the list shows for a keyword; empty for one it does not know.
    static QString Description(const QString &keyword);

private:
    void setupControls();
    void fillKeywordList();
};
