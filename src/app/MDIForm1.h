#pragma once

#include <QList>
#include <QMainWindow>
#include <QString>

class CoolBar;
class Form1;
class QAction;
class QComboBox;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPixmap;
class QProgressBar;
class QToolButton;

// The program's frame: menus, the toolbar with its picture buttons, the address box and
// the progress bar, and the multi-document area that holds the browser window.
class MDIForm1 : public QMainWindow
{
    Q_OBJECT
public:
    MDIForm1();

    void Form_Load();
    // Opens the browser window and applies the view settings; the last step of the load.
    void CarryOn();

    // Puts a child window into the multi-document area.
    QMdiSubWindow *addChild(QWidget *child);
    QMdiArea *mdiArea() const { return m_mdiArea; }
    // The background picture of the toolbar's band.
    void setToolbarPicture(const QPixmap &picture);

    // The text in the address box.
    QString address() const;
    // Puts a text into the address box, as if typed (the list does not grow).
    void setAddress(const QString &address);
    // The browser window's reports (addresses, progress, command states) show here.
    void attachBrowser(Form1 *browser);

    // The main window's commands: each subsystem attaches its own handlers to its items.
    QAction *FOpen, *FSaveWP, *FPrint, *mnuPPreview, *FViewSource;
    QAction *TSettings, *TSecurity, *TFCache, *TFFw, *TFotw, *mnuTSendLink, *mnuTWinUpdate;
    QAction *mnuTDownloads; // the Downloads window, after the designed items
    QAction *mnuTGuard; // the Guard window, after Downloads
    QMenu *mnuFavs;
    QAction *mnuFTG, *mnuFKeywords, *mnuOrganize;
    // The favourites: element 0 is the separator, the favourites follow it.
    QList<QAction *> mnuFT1;
    QAction *HHel, *HAbout, *HLicence, *HRep, *HSuggestions;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setupControls();
    void setupMenus();
    void setupToolbar();
    // The toolbar buttons and the hidden Navigation menu's shortcuts run the navigation
    // commands; GO! does what Enter in the address box does.
    void wireNavigation();
    void buildFavouritesMenu();
    void showGoButton(bool shown);

    // What the browser window reports.
    void addVisitedAddress(const QString &url);
    void showProgress(int value, bool loading);
    void updateBackForward();

    void mnuViewGo_Click();
    void mnuViewProgBar_Click();
    void mnuViewToolbars_Click();
    void FExit_Click();
    void Combo1_KeyPress(int &keyAscii);
    // Ctrl+L, Alt+D and F6: the keyboard to the address box, its text selected; a hidden
    // toolbar is shown first as View > Toolbar shows it.
    void focusAddressBox();
    void setupAddressKeys();
    void placeOnScreen();

    // Address box widths, in twips, with the GO! button shown and hidden.
    static constexpr int kComboWidthWithGo = 3855;
    static constexpr int kComboWidthWithoutGo = 4335;

    CoolBar *CoolBar1;
    QToolButton *btnBack;
    QToolButton *btnForward;
    QToolButton *btnStop;
    QToolButton *btnRefresh;
    QToolButton *btnHome;
    QToolButton *btnSearch;
    QToolButton *btnGo;
    QComboBox *Combo1;
    QProgressBar *ProgressBar1;

    QMenu *FFile;
    QAction *FShow, *FExit;
    QMenu *TTools;
    QMenu *mnuTMail;
    QMenu *mnuView;
    QAction *mnuViewGo, *mnuViewProgBar, *mnuViewToolbars;
    QMenu *HHelp;
    // Not in the menu bar; its items carry the navigation shortcuts.
    QMenu *mnuNav;
    QAction *mnuBack, *mnuForward, *mnuStop, *mnuRefresh, *mnuHome, *mnuSearch;

    QMdiArea *m_mdiArea;
};
