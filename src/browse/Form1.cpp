#include "browse/Form1.h"

#include "app/App.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "app/StartupTrace.h"
#include "browse/PermissionBar.h"
#include "browse/SiteLog.h"
#include "compat/Twips.h"
#include "engine/WebBrowser.h"
#include "find/PageSiteOffer.h"
#include "guard/BrowserGuard.h"
#include "settings/ProgramSettings.h"
#include "settings/WorkingCopy.h"

#include <QLabel>
#include <QMdiSubWindow>
#include <QStatusBar>

#include <cstdint>

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
    StatusBarPanel2 = new QLabel(StatusBar1);
    StatusBarPanel2->setObjectName(QStringLiteral("StatusBarPanel2"));
    StatusBar1->addPermanentWidget(StatusBarPanel2);
    m_permissionBar = new PermissionBar(this);
    connect(WebBrowser1, &engine::WebBrowserControl::PermissionRequest, m_permissionBar,
            &PermissionBar::ask);
    connect(m_permissionBar, &PermissionBar::answered, WebBrowser1,
            &engine::WebBrowserControl::AnswerPermission);
    connect(m_permissionBar, &PermissionBar::shownChanged, this, &Form1::Form_Resize);
    resize(Twips(9000), Twips(6000));

    connect(WebBrowser1, &engine::WebBrowserControl::StatusTextChange, this,
            &Form1::WebBrowser1_StatusTextChange);
    connect(WebBrowser1, &engine::WebBrowserControl::ProgressChange, this,
            &Form1::WebBrowser1_ProgressChange);
    connect(WebBrowser1, &engine::WebBrowserControl::CommandStateChange, this,
            &Form1::WebBrowser1_CommandStateChange);
    connect(WebBrowser1, &engine::WebBrowserControl::DownloadComplete, this,
            &Form1::WebBrowser1_DownloadComplete);
    connect(WebBrowser1, &engine::WebBrowserControl::ConnectionChange, this,
            &Form1::WebBrowser1_ConnectionChange);
    guard::BrowserGuard::Attach(this);
    usersites::PageSiteOffer::Attach(this);
}

void Form1::Form_Load()
{
    WebBrowser1->resize(width(), WebBrowser1->height());
    // The main window shows what this window reports, from the first page on.
    Forms::get<MDIForm1>()->attachBrowser(this);

    // The settings window's start page while it is open, saved or not; otherwise the stored
    // one.
    const QString start = settings::StartPage();
    app::StartupTrace("navigate");
    if (start.isEmpty()) {
        WebBrowser1->Navigate(QStringLiteral("about:blank"));
    } else {
        Q_EMIT addressShown(start);
        WebBrowser1->Navigate(start);
    }

    showForm();

    // Each browser window's load puts the stored texts back into the settings window's
    // working copy, dropping unsaved edits.
    if (settings::WorkingCopy *copy = settings::WorkingCopy::current())
        copy->reset();

    // Every browser window that loads turns the site log on; when it was off, "Log" = "1" is
    // stored.
    settings::Switches().turnLogOn();
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
    // A question waiting takes the top of the page's room.
    const int barHeight = m_permissionBar->isHidden()
        ? 0
        : std::min(m_permissionBar->sizeHint().height(), browserHeight);
    m_permissionBar->setGeometry(0, 0, width(), barHeight);
    WebBrowser1->setGeometry(0, barHeight, width(), browserHeight - barHeight);
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
    if (progressMax > 0 && progress > 0) {
        const int v = ProgressValue(progress, progressMax);
        if (v >= 0)
            Q_EMIT progressChanged(v, true);
    } else {
        Q_EMIT progressChanged(0, false);
    }
}

void Form1::WebBrowser1_CommandStateChange(int, bool)
{
    Q_EMIT commandStateChanged();
}

void Form1::WebBrowser1_DownloadComplete()
{
    // Logged first, with the address box as the previous step left it.
    SiteLog();
    Q_EMIT addressVisited(WebBrowser1->LocationURL());
    setWindowTitle(WebBrowser1->LocationName());
    Q_EMIT progressChanged(-1, false);
    app::StartupTrace("caption");
}

void Form1::WebBrowser1_ConnectionChange(int state, const QString &detail)
{
    static const char *const texts[] = {"", "Secure", "Not encrypted", "Certificate error"};
    const bool warn
        = state == engine::ConnectionNotEncrypted || state == engine::ConnectionCertificateError;
    StatusBarPanel2->setText(state >= 0 && state <= 3 ? QLatin1String(texts[state]) : QString());
    // Named, so that the panel's tooltip keeps the usual look.
    StatusBarPanel2->setStyleSheet(
        warn ? QStringLiteral("#StatusBarPanel2 { color: #c00000; font-weight: bold }")
             : QString());
    StatusBarPanel2->setToolTip(detail);
}
