#pragma once

#include <QList>
#include <QMainWindow>
#include <QString>

class CoolBar;
class QAction;
class QComboBox;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
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
    QAction *FShow, *FOpen, *FSaveWP, *FPrint, *mnuPPreview, *FViewSource, *FExit;
    QMenu *TTools;
    QAction *TSettings, *TSecurity, *TFCache, *TFFw, *TFotw, *mnuTSendLink, *mnuTWinUpdate;
    QAction *mnuTDownloads; // the Downloads window, after the designed items
    QMenu *mnuTMail;
    QMenu *mnuFavs;
    QAction *mnuFTG, *mnuFKeywords, *mnuOrganize;
    // The favourites: element 0 is the separator, the favourites follow it.
    QList<QAction *> mnuFT1;
    // The full path of favourites.ini, set at load and read by every favourite's click.
    QString FavouritesPath;
    // After the load: the number of the entry that ended the list.
    qint16 FavouriteCount = 0;
    QMenu *mnuView;
    QAction *mnuViewGo, *mnuViewProgBar, *mnuViewToolbars;
    QMenu *HHelp;
    QAction *HHel, *HAbout, *HLicence, *HRep, *HSuggestions;
    // Not in the menu bar; its items carry the navigation shortcuts.
    QMenu *mnuNav;
    QAction *mnuBack, *mnuForward, *mnuStop, *mnuRefresh, *mnuHome, *mnuSearch;

    void mnuViewGo_Click();
    void mnuViewProgBar_Click();
    void mnuViewToolbars_Click();
    void FExit_Click();
    void Combo1_KeyPress(int &keyAscii);
    // Ctrl+L, Alt+D and F6: the keyboard to the address box, its text selected; a hidden
    // toolbar is shown first as View > Toolbar shows it.
    void focusAddressBox();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setupControls();
    void setupMenus();
    void setupToolbar();
    void buildFavouritesMenu();
    void showGoButton(bool shown);
    void setupAddressKeys();
    void placeOnScreen();

    QMdiArea *m_mdiArea;
};
