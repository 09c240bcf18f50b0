#pragma once

#include <QFrame>
#include <QLabel>
#include <QRect>
#include <QWidget>

class QLineEdit;
class QListView;
class QProgressBar;
class QPushButton;

namespace downloads {
class DownloadList;
struct Entry;
} // namespace downloads

// A label that shows as much of its text as fits, with "..." where the rest would be.
class ElidedLabel : public QLabel
{
    Q_OBJECT
public:
    ElidedLabel(Qt::TextElideMode mode, QWidget *parent);
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Qt::TextElideMode m_mode;
};

// One download in the Downloads window: what it is, how far it got, its file's SHA-256
// with a field for the sum the site publishes, and the buttons that apply to it.
class DownloadRow : public QFrame
{
    Q_OBJECT
public:
    // list null: a row with nothing in it, as wide and high as every row.
    DownloadRow(downloads::DownloadList *list, quint64 id, QWidget *parent);

    // Shows the row's download as it is now.
    void refresh();

    // Every row's size, and where the control of that object name sits in a row, as this
    // process's fonts and style lay them out.
    static QSize standardSize();
    static QRect place(const char *control);

    ElidedLabel *lblName;
    ElidedLabel *lblState;
    ElidedLabel *lblSource;
    QLabel *lblEncryption; // "Not encrypted" for a file that came over plain HTTP
    QProgressBar *prgDone;
    QLabel *lblBytes;
    QLineEdit *txtSha256;
    QPushButton *cmdCopy;
    QLineEdit *txtPublished;
    ElidedLabel *lblVerdict;
    ElidedLabel *lblScan;
    QPushButton *cmdPause; // "Pause" or "Resume"
    QPushButton *cmdCancel;
    QPushButton *cmdOpen;
    QPushButton *cmdShowInFolder;
    QPushButton *cmdRemove;

    void cmdPause_Click();
    void cmdCancel_Click();
    void cmdOpen_Click();
    void cmdShowInFolder_Click();
    void cmdRemove_Click();
    void cmdCopy_Click();
    void txtPublished_Change();
    void mnuVirusTotal_Click();

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    // True when the file is not known to hold malware, or the user says to go on.
    bool confirmInfected(const QString &what) const;
    const downloads::Entry *entry() const;
    void showVerdict();
    void showScan(const downloads::Entry &e);

    downloads::DownloadList *m_list;
    quint64 m_id;
};

// "Downloads": every download of this run and of the earlier ones, newest at the top, one
// row widget for each row of the list.
class frmDownloads : public QWidget
{
    Q_OBJECT
public:
    frmDownloads();

    void Form_Load();
    // Ctrl+J and Tools > Downloads: shown, in front, with the keyboard.
    void showForm();
    // A download started: the window comes up, but the keyboard stays with the page.
    static void ShowWithoutFocus();

    // The row at `index` from the top, or null.
    DownloadRow *row(int index) const;
    int rowCount() const;

    QListView *lstDownloads;
    QLabel *lblProblem; // why the list could not be saved
    QPushButton *cmdClearFinished;
    void cmdClearFinished_Click();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void setupControls();
    void addRows(int first, int last);
    void refreshRows(int first, int last);
    void showEmpty();

    downloads::DownloadList *m_list = nullptr;
    QLabel *m_empty;
};
