#include "browse/Form1.h"

#include "app/App.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "app/StartupTrace.h"
#include "browse/SiteLog.h"
#include "compat/Settings.h"
#include "compat/Twips.h"
#include "engine/WebBrowser.h"
#include "guard/BrowserGuard.h"
#include "security/Security2.h"
#include "settings/frmSettings.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolButton>

#include <cstdint>

using compat::GetSetting;
using compat::Twips;

Form1::Form1()
{
    setWindowTitle(QStringLiteral("Browser"));
    WebBrowser1 = engine::CreateWebBrowser(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBarPanel1 = new QLabel(StatusBar1);
    StatusBarPanel1->setObjectName(QStringLiteral("StatusBarPanel1"));
    StatusBar1->addWidget(StatusBarPanel1, 1);
    resize(Twips(9000), Twips(6000));

    connect(WebBrowser1, &engine::WebBrowserControl::StatusTextChange, this,
            &Form1::WebBrowser1_StatusTextChange);
    connect(WebBrowser1, &engine::WebBrowserControl::ProgressChange, this,
            &Form1::WebBrowser1_ProgressChange);
    connect(WebBrowser1, &engine::WebBrowserControl::CommandStateChange, this,
            &Form1::WebBrowser1_CommandStateChange);
    connect(WebBrowser1, &engine::WebBrowserControl::DownloadComplete, this,
            &Form1::WebBrowser1_DownloadComplete);
    guard::BrowserGuard::Attach(this);
}

void Form1::Form_Load()
{
    WebBrowser1->resize(width(), WebBrowser1->height());

    // The settings window's start-page field, or, while that hidden window is not loaded,
    // the stored value its load would put there: the first page need not wait for it.
    const QString start = Forms::isLoaded<frmSettings>()
        ? Forms::get<frmSettings>()->txtStartPage->text()
        : GetSetting(QStringLiteral("Start Page"), QString());
    app::StartupTrace("navigate");
    if (start.isEmpty()) {
        WebBrowser1->Navigate(QStringLiteral("about:blank"));
    } else {
        Forms::get<MDIForm1>()->Combo1->setEditText(start);
        WebBrowser1->Navigate(start);
    }

    showForm();

    frmSettings *settings = Forms::get<frmSettings>();
    settings->txtStartPage->setText(GetSetting(QStringLiteral("Start Page"), QString()));
    settings->txtHomePage->setText(GetSetting(QStringLiteral("Home Page"), QString()));
    settings->SE->setText(
        GetSetting(QStringLiteral("Search-Engine"), frmSettings::DefaultSearchEngine()));
    settings->BGRnd->setText(GetSetting(QStringLiteral("Bground"), QString()));

    // Every browser window that loads turns the site log on; when the box was clear its
    // click rule stores "Log" = "1". The hidden security window that holds the box is not
    // built for it: the first page need not wait for a window nobody sees.
    Security2::TurnLogOn();
}

void Form1::showForm()
{
    MDIForm1 *main = Forms::get<MDIForm1>();
    if (!m_subWindow) {
        m_subWindow = main->addChild(this);
        m_subWindow->setWindowIcon(main->windowIcon());
    }
    m_subWindow->showMaximized();
}

void Form1::setWindowState(Qt::WindowStates state)
{
    if (m_subWindow)
        m_subWindow->setWindowState(state);
    else
        QWidget::setWindowState(state);
}

void Form1::Form_Unload()
{
    // The frame around the window inside the main window goes with it.
    if (m_subWindow) {
        m_subWindow->hide();
        m_subWindow->deleteLater();
    }
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void Form1::Form_Resize()
{
    const bool selfMinimized = m_subWindow ? m_subWindow->isMinimized() : isMinimized();
    const bool mainMinimized = Forms::isLoaded<MDIForm1>() && Forms::get<MDIForm1>()->isMinimized();
    if (selfMinimized || mainMinimized)
        return;
    // A window shorter than the status bar leaves the control no height rather than a
    // negative one.
    const int browserHeight = std::max(0, height() - Twips(kStatusBarTwips));
    WebBrowser1->setGeometry(0, 0, width(), browserHeight);
    StatusBar1->setGeometry(0, browserHeight, width(), height() - browserHeight);
}

void Form1::WebBrowser1_StatusTextChange(const QString &text)
{
    StatusBarPanel1->setText(text);
}

int Form1::ProgressValue(int progress, int progressMax)
{
    const int d = progressMax / 100;
    if (d == 0 || d > INT16_MAX)
        return -1;
    return (progress / d) % 101;
}

void Form1::WebBrowser1_ProgressChange(int progress, int progressMax)
{
    MDIForm1 *main = Forms::get<MDIForm1>();
    QProgressBar *bar = main->ProgressBar1;
    if (progressMax > 0 && progress > 0) {
        const int v = ProgressValue(progress, progressMax);
        if (v < 0)
            return;
        if (main->mnuViewProgBar->isChecked())
            bar->show();
        bar->setValue(v);
    } else {
        bar->hide();
        bar->setValue(0);
    }
}

void Form1::WebBrowser1_CommandStateChange(int, bool)
{
    MDIForm1 *main = Forms::get<MDIForm1>();
    const bool enable = main->Combo1->count() > 3;
    main->btnBack->setEnabled(enable);
    main->btnForward->setEnabled(enable);
}

void Form1::WebBrowser1_DownloadComplete()
{
    // Logged first, with the address box as the previous step left it.
    SiteLog();
    MDIForm1 *main = Forms::get<MDIForm1>();
    const QString url = WebBrowser1->LocationURL();
    main->Combo1->setEditText(url);
    main->Combo1->addItem(url);
    // addItem on an empty list selects the new item and would overwrite a typed text.
    main->Combo1->setEditText(url);
    setWindowTitle(WebBrowser1->LocationName());
    main->ProgressBar1->hide();
    app::StartupTrace("caption");
}
