#pragma once

#include <QFrame>
#include <QHash>
#include <QRect>
#include <QWidget>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QVBoxLayout;

namespace downloads {
class DownloadList;
struct Entry;
} // namespace downloads

// One download in the Downloads window: what it is, how far it got, its file's SHA-256
// with a field for the sum the site publishes, and the buttons that apply to it. Laid out
// at fixed places, the same in every row.
class DownloadRow : public QFrame
{
    Q_OBJECT
public:
    DownloadRow(downloads::DownloadList *list, quint64 id, QWidget *parent);

    // Shows the row's download as it is now.
    void refresh();

    static constexpr int kWidth = 760;
    static constexpr int kHeight = 158;
    static constexpr QRect kName {10, 6, 470, 20};
    static constexpr QRect kState {490, 6, 260, 20};
    static constexpr QRect kSource {10, 26, 740, 18};
    static constexpr QRect kProgress {10, 48, 300, 16};
    static constexpr QRect kBytes {320, 46, 430, 20};
    static constexpr QRect kShaCaption {10, 72, 70, 22};
    static constexpr QRect kSha256 {80, 72, 580, 22};
    static constexpr QRect kCopy {666, 71, 84, 24};
    static constexpr QRect kSumCaption {10, 100, 100, 22};
    static constexpr QRect kPublished {110, 100, 370, 22};
    static constexpr QRect kVerdict {488, 100, 262, 22};
    static constexpr QRect kPause {10, 126, 90, 26};
    static constexpr QRect kCancel {106, 126, 90, 26};
    static constexpr QRect kOpen {202, 126, 90, 26};
    static constexpr QRect kShowInFolder {298, 126, 120, 26};
    static constexpr QRect kRemove {424, 126, 130, 26};

    QLabel *lblName;
    QLabel *lblState;
    QLabel *lblSource;
    QProgressBar *prgDone;
    QLabel *lblBytes;
    QLineEdit *txtSha256;
    QPushButton *cmdCopy;
    QLineEdit *txtPublished;
    QLabel *lblVerdict;
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

private:
    downloads::Entry *entry() const;
    void showVerdict();

    downloads::DownloadList *m_list;
    quint64 m_id;
};

// "Downloads": every download of this run and of the earlier ones, newest at the top.
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

    // Where the rows' column and the Clear finished button sit, for those who click them.
    static constexpr int kBottomBarHeight = 40;
    static constexpr QRect kClearFinished {10, 6, 130, 28}; // within the bottom bar

    QPushButton *cmdClearFinished;
    void cmdClearFinished_Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void setupControls();
    void buildRows();

    downloads::DownloadList *m_list = nullptr;
    QScrollArea *m_scroll;
    QWidget *m_column;
    QVBoxLayout *m_rows;
    QLabel *m_empty;
    QHash<quint64, DownloadRow *> m_byId;
};
