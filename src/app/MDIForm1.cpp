#include "app/MDIForm1.h"

#include "app/App.h"
#include "app/CommandWiring.h"
#include "app/ExternalAddress.h"
#include "app/Forms.h"
#include "app/StartupTrace.h"
#include "browse/Form1.h"
#include "browse/basNav.h"
#include "compat/Dialogs.h"
#include "compat/Twips.h"
#include "downloads/Downloads.h"
#include "engine/WebBrowser.h"
#include "favourites/FavouritesMenu.h"
#include "find/basKeywords.h"
#include "security/Form3.h"
#include "settings/ProgramSettings.h"
#include "settings/frmSettings.h"
#include "widgets/CoolBar.h"
#include "widgets/WindowPlacement.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <stdexcept>

using compat::Twips;

namespace {

QAction *addItem(QMenu *menu, const char *caption, const char *name,
                 const QKeySequence &shortcut = QKeySequence())
{
    QAction *a = menu->addAction(QString::fromUtf8(caption));
    a->setObjectName(QLatin1String(name));
    if (!shortcut.isEmpty())
        a->setShortcut(shortcut);
    return a;
}

QAction *addSeparator(QMenu *menu, const char *name)
{
    QAction *a = menu->addSeparator();
    a->setObjectName(QLatin1String(name));
    return a;
}

QMenu *addMenu(QMenuBar *bar, const char *caption, const char *name)
{
    QMenu *m = bar->addMenu(QString::fromUtf8(caption));
    m->setObjectName(QLatin1String(name));
    return m;
}

// A picture that cannot be used raises an error, as loading a picture always has.
QPixmap loadPicture(const QString &path)
{
    if (!QFileInfo::exists(path))
        throw std::runtime_error(("File not found: " + path).toStdString());
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read();
    if (image.isNull())
        throw std::runtime_error(("Invalid picture: " + path).toStdString());
    return QPixmap::fromImage(image);
}

// The address box and the progress bar have their designed widths wherever the screen
// leaves room for them; on a narrow screen (or a dense one scaled up) they give up width
// before the main window grows wider than the screen.
constexpr int kShrinkFirst = 100;

// The window's design size, in twips.
constexpr int kDesignWidth = 9600;
constexpr int kDesignHeight = 7200;

void setShrinkableWidth(QWidget *w, int twips)
{
    w->setMinimumWidth(std::min(Twips(twips), Twips(1200)));
    w->setMaximumWidth(Twips(twips));
    w->setSizePolicy(QSizePolicy::Expanding, w->sizePolicy().verticalPolicy());
}

} // namespace

MDIForm1::MDIForm1()
{
    Forms::SetOwner(this);
    setupControls();
}

void MDIForm1::setupControls()
{
    setWindowTitle(app::MainCaption());

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    CoolBar1 = new CoolBar(central);
    CoolBar1->setObjectName(QStringLiteral("CoolBar1"));
    m_mdiArea = new QMdiArea(central);
    m_mdiArea->setObjectName(QStringLiteral("mdiArea"));
    m_mdiArea->setBackground(QColor(0x80, 0x80, 0x80));
    layout->addWidget(CoolBar1);
    layout->addWidget(m_mdiArea, 1);
    setCentralWidget(central);
    // The frame takes the screen's width whatever its toolbar would like (the progress bar
    // appears during every load): on a narrow screen the band's controls give up width.
    QMainWindow::layout()->setSizeConstraint(QLayout::SetNoConstraint);

    setupToolbar();
    setupMenus();
    wireNavigation();
    wireFindCommands(this);
    wireFavouriteCommands(this);
    wireSecurityCommands(this);
    wireHistoryCommands(this);
    wirePageCommands(this);
    wireDownloadCommands(this);
    wireGuardCommands(this);
    setupAddressKeys();

    resize(Twips(kDesignWidth), Twips(kDesignHeight));
}

void MDIForm1::setupToolbar()
{
    auto *band = new QHBoxLayout(CoolBar1);
    band->setContentsMargins(4, 2, 4, 2);
    band->setSpacing(2);
    QStyle *style = QApplication::style();
    const struct
    {
        QToolButton **button;
        const char *name;
        const char *caption;
        QStyle::StandardPixmap icon;
    } buttons[] = {
        {&btnBack, "btnBack", "Back", QStyle::SP_ArrowBack},
        {&btnForward, "btnForward", "Forward", QStyle::SP_ArrowForward},
        {&btnStop, "btnStop", "Stop", QStyle::SP_BrowserStop},
        {&btnRefresh, "btnRefresh", "Refresh", QStyle::SP_BrowserReload},
        {&btnHome, "btnHome", "Home", QStyle::SP_DirHomeIcon},
        {&btnSearch, "btnSearch", "Search", QStyle::SP_FileDialogContentsView},
    };
    for (const auto &b : buttons) {
        auto *button = new QToolButton(CoolBar1);
        button->setObjectName(QLatin1String(b.name));
        button->setText(QLatin1String(b.caption));
        button->setIcon(style->standardIcon(b.icon));
        button->setIconSize(QSize(24, 24));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        band->addWidget(button);
        *b.button = button;
    }
    // Back and Forward wait for the address list to grow (see the browser window).
    btnBack->setEnabled(false);
    btnForward->setEnabled(false);

    auto *addressLabel = new QLabel(QStringLiteral("Address"), CoolBar1);
    band->addSpacing(6);
    band->addWidget(addressLabel);
    Combo1 = new QComboBox(CoolBar1);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setEditable(true);
    // The list grows only when a download completes, never from the key itself.
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    // What is navigated is what the user typed or picked from the list, never a silent
    // completion from the list.
    Combo1->setCompleter(nullptr);
    setShrinkableWidth(Combo1, kComboWidthWithGo);
    // A key typed in the box arrives at the combo box, which hands it to its line edit
    // without passing that one's filters; a key sent to the line edit itself, or typed while
    // the list is open, goes to those. Enter is taken from whichever gets it first.
    for (QObject *part :
         {static_cast<QObject *>(Combo1), static_cast<QObject *>(Combo1->lineEdit()),
          static_cast<QObject *>(Combo1->view())})
        part->installEventFilter(this);
    band->addWidget(Combo1, kShrinkFirst);

    btnGo = new QToolButton(CoolBar1);
    btnGo->setObjectName(QStringLiteral("btnGo"));
    btnGo->setText(QStringLiteral("GO!"));
    btnGo->setFocusPolicy(Qt::NoFocus);
    band->addWidget(btnGo);

    ProgressBar1 = new QProgressBar(CoolBar1);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    setShrinkableWidth(ProgressBar1, 2400);
    ProgressBar1->hide();
    band->addSpacing(6);
    band->addWidget(ProgressBar1, kShrinkFirst);
    band->addStretch(1);
}

void MDIForm1::setupMenus()
{
    QMenuBar *bar = menuBar();

    FFile = addMenu(bar, "&File", "FFile");
    FShow = addItem(FFile, "Show Browser", "FShow");
    addSeparator(FFile, "FSe");
    FOpen = addItem(FFile, "Open", "FOpen", QKeySequence(Qt::CTRL | Qt::Key_O));
    FSaveWP = addItem(FFile, "Save Web Page", "FSaveWP", QKeySequence(Qt::CTRL | Qt::Key_W));
    FPrint = addItem(FFile, "Print", "FPrint", QKeySequence(Qt::CTRL | Qt::Key_P));
    mnuPPreview
        = addItem(FFile, "Print Preview", "mnuPPreview", QKeySequence(Qt::CTRL | Qt::Key_Z));
    addSeparator(FFile, "FSep");
    FViewSource = addItem(FFile, "View Source", "FViewSource", QKeySequence(Qt::CTRL | Qt::Key_V));
    addSeparator(FFile, "FSepe");
    FExit = addItem(FFile, "Exit", "FExit", QKeySequence(Qt::CTRL | Qt::Key_E));

    TTools = addMenu(bar, "&Tools", "TTools");
    TSettings = addItem(TTools, "Settings", "TSettings", QKeySequence(Qt::Key_F8));
    TSecurity = addItem(TTools, "Security", "TSecurity", QKeySequence(Qt::Key_F9));
    addSeparator(TTools, "TSeper");
    TFCache = addItem(TTools, "Cache Killer", "TFCache", QKeySequence(Qt::CTRL | Qt::Key_C));
    addSeparator(TTools, "TSep");
    TFFw = addItem(TTools, "Find Freeware", "TFFw", QKeySequence(Qt::Key_F2));
    TFotw = addItem(TTools, "Find on the web", "TFotw", QKeySequence(Qt::Key_F3));
    addSeparator(TTools, "mnuSeperator1");
    mnuTMail = TTools->addMenu(QStringLiteral("Mail"));
    mnuTMail->setObjectName(QStringLiteral("mnuTMail"));
    mnuTMail->menuAction()->setObjectName(QStringLiteral("mnuTMail"));
    mnuTSendLink = addItem(mnuTMail, "Send Link", "mnuTSendLink");
    mnuTWinUpdate = addItem(TTools, "Windows Update", "mnuTWinUpdate");
    addSeparator(TTools, "mnuTDownloadsSep");
    mnuTDownloads
        = addItem(TTools, "Downloads", "mnuTDownloads", QKeySequence(Qt::CTRL | Qt::Key_J));
    mnuTGuard = addItem(TTools, "Guard", "mnuTGuard", QKeySequence(Qt::CTRL | Qt::Key_G));

    mnuFavs = addMenu(bar, "&Favourites", "mnuFavs");
    mnuFTG = addItem(mnuFavs, "Kestrelmoor Works", "mnuFTG");
    addSeparator(mnuFavs, "mnuSeperator");
    mnuFKeywords = addItem(mnuFavs, "Go to keyword ...", "mnuFKeywords");
    mnuOrganize = addItem(mnuFavs, "Organize Favourites", "mnuOrganize");
    mnuFT1.append(addSeparator(mnuFavs, "mnuFT1"));

    mnuView = addMenu(bar, "&View", "mnuView");
    mnuViewGo = addItem(mnuView, "GO! button", "mnuViewGo");
    mnuViewProgBar = addItem(mnuView, "Progress Bar", "mnuViewProgBar");
    addSeparator(mnuView, "mnuVSep");
    mnuViewToolbars = addItem(mnuView, "Toolbar", "mnuViewToolbars");
    for (QAction *a : {mnuViewGo, mnuViewProgBar, mnuViewToolbars})
        a->setCheckable(true);

    HHelp = addMenu(bar, "&Help", "HHelp");
    HHel = addItem(HHelp, "Help", "HHel", QKeySequence(Qt::Key_F1));
    addSeparator(HHelp, "HSep");
    HAbout = addItem(HHelp, "About", "HAbout");
    HLicence = addItem(HHelp, "Licence", "HLicence");
    HRep = addItem(HHelp, "Report Bug", "HRep");
    HSuggestions = addItem(HHelp, "Suggestions", "HSuggestions");

    // The Navigation menu is never in the menu bar; its actions live on the window so
    // their shortcuts still work.
    mnuNav = new QMenu(QStringLiteral("Navigation"), this);
    mnuNav->setObjectName(QStringLiteral("mnuNav"));
    mnuBack = addItem(mnuNav, "Back", "mnuBack", QKeySequence(Qt::CTRL | Qt::Key_B));
    mnuForward = addItem(mnuNav, "Forward", "mnuForward", QKeySequence(Qt::CTRL | Qt::Key_F));
    mnuStop = addItem(mnuNav, "Stop", "mnuStop", QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuRefresh = addItem(mnuNav, "Refresh", "mnuRefresh", QKeySequence(Qt::Key_F5));
    mnuHome = addItem(mnuNav, "Home", "mnuHome", QKeySequence(Qt::CTRL | Qt::Key_H));
    mnuSearch = addItem(mnuNav, "Search", "mnuSearch", QKeySequence(Qt::Key_F12));
    // Alt+Left and Alt+Right step too, as in every other desktop browser; the designed keys
    // stay first.
    mnuBack->setShortcuts({mnuBack->shortcut(), QKeySequence(Qt::ALT | Qt::Key_Left)});
    mnuForward->setShortcuts({mnuForward->shortcut(), QKeySequence(Qt::ALT | Qt::Key_Right)});
    addActions(mnuNav->actions());

    connect(mnuViewGo, &QAction::triggered, this, &MDIForm1::mnuViewGo_Click);
    connect(mnuViewProgBar, &QAction::triggered, this, &MDIForm1::mnuViewProgBar_Click);
    connect(mnuViewToolbars, &QAction::triggered, this, &MDIForm1::mnuViewToolbars_Click);
    connect(FExit, &QAction::triggered, this, &MDIForm1::FExit_Click);
}

void MDIForm1::Form_Load()
{
    app::StartupTrace("main window: load");
    try {
        buildFavouritesMenu();
        CarryOn();
    } catch (const std::exception &e) {
        compat::MsgBox(QString::fromStdString(e.what()), compat::vbCritical);
    }
    app::StartupTrace("main window: loaded");
    externalAddress::MainWindowLoaded();
}

void MDIForm1::buildFavouritesMenu()
{
    favourites::BuildFavouritesMenu(this);
}

void MDIForm1::CarryOn()
{
    Form1 *browser = Forms::Show<Form1>();
    browser->setWindowState(Qt::WindowMaximized);

    placeOnScreen();

    // The settings window is loaded hidden at every start, as it always has been: its load
    // stores the splash switch of a fresh profile.
    Forms::get<frmSettings>();
    settings::ProgramSettings &stored = settings::Program();
    const QString background = stored.background.value();
    if (!background.isEmpty())
        setToolbarPicture(loadPicture(background));
    // And the change-passcode window, whose hidden field shows the passcode.
    Forms::get<Form3>();

    const QString g = stored.goButton.value(QStringLiteral("0"));
    const QString p = stored.progressBar.value(QStringLiteral("1"));
    const QString t = stored.toolbar.value(QStringLiteral("0"));

    if (g == QLatin1String("1")) {
        mnuViewGo->setChecked(true);
        showGoButton(true);
    } else if (g == QLatin1String("0")) {
        mnuViewGo->setChecked(false);
        showGoButton(false);
    }

    if (p == QLatin1String("1"))
        mnuViewProgBar->setChecked(true);
    else if (p == QLatin1String("0"))
        mnuViewProgBar->setChecked(false);

    if (t == QLatin1String("1")) {
        mnuViewToolbars->setChecked(true);
        CoolBar1->show();
    } else if (t == QLatin1String("0")) {
        mnuViewToolbars->setChecked(false);
        CoolBar1->hide();
    }
}

void MDIForm1::placeOnScreen()
{
    // The screen's width, as the window always took; the height fills what the screen
    // leaves free. The frame, title bar included, lies inside the screen's available area of
    // the screen the user is at.
    QScreen *screen = widgets::ScreenUnderPointer();
    if (!screen)
        return;
    const QRect avail = screen->availableGeometry();
    const QMargins frame = widgets::FrameMargins(this);
    const QSize inside = avail.size().shrunkBy(frame);
    if (inside.width() < Twips(kDesignWidth) || inside.height() < Twips(kDesignHeight)) {
        setGeometry(QRect(avail.topLeft(), inside));
        setWindowState(windowState() | Qt::WindowMaximized);
        return;
    }
    resize(inside);
    move(avail.topLeft());
}

void MDIForm1::setupAddressKeys()
{
    // The keys every browser uses for its address box; none of them is a menu's.
    for (const QKeySequence &key : {QKeySequence(Qt::CTRL | Qt::Key_L),
                                    QKeySequence(Qt::ALT | Qt::Key_D), QKeySequence(Qt::Key_F6)}) {
        auto *shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, this, &MDIForm1::focusAddressBox);
    }
}

void MDIForm1::focusAddressBox()
{
    if (CoolBar1->isHidden() && !mnuViewToolbars->isChecked())
        mnuViewToolbars->trigger();
    Combo1->setFocus(Qt::ShortcutFocusReason);
    Combo1->lineEdit()->selectAll();
}

void MDIForm1::showGoButton(bool shown)
{
    btnGo->setVisible(shown);
    setShrinkableWidth(Combo1, shown ? kComboWidthWithGo : kComboWidthWithoutGo);
}

// The View toggles: a checkable item has already flipped its mark when triggered, so the
// state it was in before the click is the opposite of what it shows now.
void MDIForm1::mnuViewGo_Click()
{
    const bool wasChecked = !mnuViewGo->isChecked();
    mnuViewGo->setChecked(!wasChecked);
    showGoButton(!wasChecked);
    settings::Program().goButton.setValue(wasChecked ? QStringLiteral("0") : QStringLiteral("1"));
}

void MDIForm1::mnuViewProgBar_Click()
{
    const bool wasChecked = !mnuViewProgBar->isChecked();
    mnuViewProgBar->setChecked(!wasChecked);
    settings::Program().progressBar.setValue(wasChecked ? QStringLiteral("0")
                                                        : QStringLiteral("1"));
}

void MDIForm1::mnuViewToolbars_Click()
{
    const bool wasChecked = !mnuViewToolbars->isChecked();
    mnuViewToolbars->setChecked(!wasChecked);
    CoolBar1->setVisible(!wasChecked);
    settings::Program().toolbar.setValue(wasChecked ? QStringLiteral("0") : QStringLiteral("1"));
}

void MDIForm1::FExit_Click()
{
    // Running downloads would be cut off half-way; the user decides.
    if (!downloads::ConfirmExit())
        return;
    // Every other window first, in the order they were opened, then this one.
    Forms::UnloadAll(this);
    QCoreApplication::quit();
}

void MDIForm1::closeEvent(QCloseEvent *event)
{
    event->ignore();
    FExit_Click();
}

void MDIForm1::Combo1_KeyPress(int &keyAscii)
{
    if (keyAscii != 13)
        return;
    basKeywords::RunAddressKeyword(Combo1->currentText());
}

bool MDIForm1::eventFilter(QObject *watched, QEvent *event)
{
    const bool inCombo
        = watched == Combo1 || watched == Combo1->lineEdit() || watched == Combo1->view();
    if (inCombo && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // Enter in the open list chooses the highlighted address, then goes there.
            if (watched == Combo1->view()) {
                const QModelIndex chosen = Combo1->view()->currentIndex();
                if (chosen.isValid())
                    Combo1->setCurrentIndex(chosen.row());
                Combo1->hidePopup();
            }
            int keyAscii = 13;
            Combo1_KeyPress(keyAscii);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MDIForm1::setToolbarPicture(const QPixmap &picture)
{
    CoolBar1->setBandPicture(picture);
}

void MDIForm1::wireNavigation()
{
    const struct
    {
        QToolButton *button;
        QAction *action;
        void (*command)();
    } navigation[] = {
        // clang-format off
        {btnBack,    mnuBack,    basNav::NavBack},
        {btnForward, mnuForward, basNav::NavForward},
        {btnStop,    mnuStop,    basNav::NavStop},
        {btnRefresh, mnuRefresh, basNav::NavRefresh},
        {btnHome,    mnuHome,    basNav::NavHome},
        {btnSearch,  mnuSearch,  basNav::NavSearch},
        // clang-format on
    };
    for (const auto &n : navigation) {
        connect(n.button, &QToolButton::clicked, this, n.command);
        connect(n.action, &QAction::triggered, this, n.command);
    }
    connect(btnGo, &QToolButton::clicked, this, [this] {
        int keyAscii = 13;
        Combo1_KeyPress(keyAscii);
    });
}

QString MDIForm1::address() const
{
    return Combo1->currentText();
}

void MDIForm1::setAddress(const QString &address)
{
    Combo1->setEditText(address);
}

void MDIForm1::attachBrowser(Form1 *browser)
{
    connect(browser, &Form1::addressShown, this, &MDIForm1::setAddress, Qt::UniqueConnection);
    connect(browser, &Form1::addressVisited, this, &MDIForm1::addVisitedAddress,
            Qt::UniqueConnection);
    connect(browser, &Form1::progressChanged, this, &MDIForm1::showProgress, Qt::UniqueConnection);
    connect(browser, &Form1::commandStateChanged, this, &MDIForm1::updateBackForward,
            Qt::UniqueConnection);
}

void MDIForm1::addVisitedAddress(const QString &url)
{
    Combo1->setEditText(url);
    Combo1->addItem(url);
    // addItem on an empty list selects the new item and would overwrite a typed text.
    Combo1->setEditText(url);
}

void MDIForm1::showProgress(int value, bool loading)
{
    if (loading && mnuViewProgBar->isChecked())
        ProgressBar1->show();
    else if (!loading)
        ProgressBar1->hide();
    if (value >= 0)
        ProgressBar1->setValue(value);
}

void MDIForm1::updateBackForward()
{
    // The list holds every completed page: Back and Forward wait for it to grow.
    const bool enable = Combo1->count() > 3;
    btnBack->setEnabled(enable);
    btnForward->setEnabled(enable);
}

QMdiSubWindow *MDIForm1::addChild(QWidget *child)
{
    // A maximized child's caption joins the frame's own ("Scoutwell v3.3 - [Browser]"):
    // the multi-document area does that itself.
    QMdiSubWindow *window = m_mdiArea->addSubWindow(child);
    // The child's window menu would close it with Ctrl+W as well as Ctrl+F4; Ctrl+W is the
    // File menu's Save Web Page, and two owners make the key do nothing at all.
    for (QAction *action : window->systemMenu()->actions()) {
        QList<QKeySequence> keys = action->shortcuts();
        if (keys.removeAll(QKeySequence(Qt::CTRL | Qt::Key_W)))
            action->setShortcuts(keys);
    }
    return window;
}
