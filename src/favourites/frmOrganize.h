#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class QPlainTextEdit;

// "Organize favourites": favourites.ini as plain text, edited in place and saved whole.
// The menu picks up the changes at the next start of the program.
class frmOrganize : public QWidget
{
    Q_OBJECT
public:
    frmOrganize();

    void Form_Load();
    void Label3_Click();

    QLabel *Label1;
    QLabel *Label2;
    QFrame *Shape1;
    QPlainTextEdit *rtb1;
    QLabel *Label3; // "Save", a label used as a button

    // The design size, in twips; the window may grow beyond it.
    static constexpr int kWidthTwips = 7320;
    static constexpr int kHeightTwips = 6360;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void setupControls();
    void layoutControls();
    QByteArray bytesToSave() const;

    QString m_path;
    // How the file was written, so that an unchanged text saves to the same bytes.
    bool m_latin1 = false;
    bool m_crlf = false;
};
