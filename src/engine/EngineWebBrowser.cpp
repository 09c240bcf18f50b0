#include "engine/EngineWebBrowser.h"

#include "app/StartupTrace.h"
#include "compat/Shell.h"
#include "engine/BrowserPage.h"
#include "engine/EngineDownload.h"
#include "engine/SitePermissions.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStandardPaths>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineDownloadRequest>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <utility>

namespace engine {

namespace {

WebBrowserFactory &factory()
{
    static WebBrowserFactory f;
    return f;
}

// The profile's storage name. Its data folder is the engine's default for that name under
// the application's data folder ($XDG_DATA_HOME/ScoutwellV3/QtWebEngine/engine): a named
// profile writes its preferences to that default before any other folder could be set, so
// choosing another one would leave a stray folder behind.
constexpr char kProfileName[] = "engine";

QString engineDataPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
        + QStringLiteral("/QtWebEngine/") + QLatin1String(kProfileName);
}

// The engine keeps its compiled GPU programs in the profile's data folder; they are a cache
// and belong with the others, so that folder is a link into the cache folder.
void linkGpuCache()
{
    const QString link = engineDataPath() + QStringLiteral("/GPUCache");
    const QString target = BrowserCachePath() + QStringLiteral("/GPUCache");
    if (QFileInfo(link).symLinkTarget() == target)
        return;
    QDir().mkpath(target);
    QDir().mkpath(engineDataPath());
    QDir(link).removeRecursively();
    QFile::remove(link);
    QFile::link(target, link);
}

bool hasScheme(const QString &address, const char *scheme)
{
    return address.startsWith(QLatin1String(scheme), Qt::CaseInsensitive);
}

} // namespace

QString BrowserCachePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
        + QStringLiteral("/ScoutwellV3/engine");
}

WebBrowserControl *CreateWebBrowser(QWidget *parent)
{
    if (factory())
        return factory()(parent);
    return new EngineWebBrowser(parent);
}

void SetWebBrowserFactory(WebBrowserFactory f)
{
    factory() = std::move(f);
}

QWebEngineProfile *EngineWebBrowser::profile()
{
    static QWebEngineProfile *p = nullptr;
    if (!p) {
        linkGpuCache();
        p = new QWebEngineProfile(QLatin1String(kProfileName), QCoreApplication::instance());
        p->setCachePath(BrowserCachePath());
        p->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
        p->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
        QObject::connect(p, &QWebEngineProfile::downloadRequested, p,
                         &EngineDownload::onDownloadRequested);
    }
    return p;
}

EngineWebBrowser::EngineWebBrowser(QWidget *parent)
    : WebBrowserControl(parent), m_view(new QWebEngineView(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);

    auto *page = new BrowserPage(profile(), m_view);
    m_view->setPage(page);
    connect(page, &BrowserPage::connectionChanged, this, &WebBrowserControl::ConnectionChange);
    m_permissions = new PagePermissions(page);
    connect(m_permissions, &PagePermissions::question, this, &WebBrowserControl::PermissionRequest);

    // There is one browser window: a link that asks for a new window opens in it.
    connect(page, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest &request) { m_view->load(request.requestedUrl()); });

    // Off a link the status goes back to what the load says; the engine also reports "no
    // link" when a page arrives, which must not blank the text (nor cost the window a frame).
    connect(page, &QWebEnginePage::linkHovered, this, [this](const QString &url) {
        Q_EMIT StatusTextChange(!url.isEmpty()  ? url
                                    : m_loading ? m_loadingText
                                                : QStringLiteral("Done"));
    });
    connect(page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo &info) {
        if (info.status() != QWebEngineLoadingInfo::LoadStartedStatus)
            return;
        m_loading = true;
        app::StartupTrace("engine: load started");
        // The address being opened: the view still has the previous one (or none at all).
        announceLoad(info.url());
    });
    connect(page, &QWebEnginePage::loadProgress, this, [this](int percent) {
        // The engine reports whole percents; the control's events count in ten-thousandths.
        Q_EMIT ProgressChange(percent * 100, 10000);
    });
    connect(page, &QWebEnginePage::urlChanged, this, [this] { emitCommandStates(); });
    // Marked as the bare view of the start-up bench marks them; the caption waits for the end.
    connect(page, &QWebEnginePage::titleChanged, this, [] { app::StartupTrace("engine: title"); });
    connect(page, &QWebEnginePage::loadFinished, this, [this](bool) {
        app::StartupTrace("engine: load finished");
        m_loading = false;
        Q_EMIT ProgressChange(-1, 0);
        emitCommandStates();
        Q_EMIT DownloadComplete();
        const QString notice = static_cast<BrowserPage *>(m_view->page())->notice();
        Q_EMIT StatusTextChange(notice.isEmpty() ? QStringLiteral("Done") : notice);
    });
    setFocusProxy(m_view);
    // The page's part of the keys is decided as they bubble up from the engine's own widget,
    // which the view replaces as pages come and go.
    m_view->installEventFilter(this);
}

bool EngineWebBrowser::pageTakesKey(const QKeyEvent *key) const
{
    // The engine takes text input exactly while a field of the page (a password box too)
    // has the focus; the engine mostly claims the editing keys there itself.
    QWidget *engine = m_view->focusProxy();
    const bool editing = engine && engine->inputMethodQuery(Qt::ImEnabled).toBool();
    if (key->matches(QKeySequence::Copy))
        return editing || m_view->hasSelection();
    return editing
        && (key->matches(QKeySequence::Paste) || key->matches(QKeySequence::Cut)
            || key->matches(QKeySequence::SelectAll) || key->matches(QKeySequence::Undo));
}

bool EngineWebBrowser::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view && event->type() == QEvent::ShortcutOverride) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (pageTakesKey(key)) {
            // Accepted, the key goes to the page as a key press and the menu's shortcut
            // stays quiet, as it does for the program's own text fields.
            key->accept();
            return true;
        }
    }
    return WebBrowserControl::eventFilter(watched, event);
}

void EngineWebBrowser::emitCommandStates()
{
    QWebEngineHistory *h = m_view->history();
    Q_EMIT CommandStateChange(CSC_NAVIGATEFORWARD, h->canGoForward());
    Q_EMIT CommandStateChange(CSC_NAVIGATEBACK, h->canGoBack());
}

void EngineWebBrowser::Navigate(const QString &address)
{
    if (address.isEmpty())
        return;
    if (hasScheme(address, "mailto:")) {
        // The user's mail program writes the mail; the shell says so when there is none.
        compat::ShellExecuteA(this, QStringLiteral("open"), address, QString(), QString(),
                              compat::SW_SHOWNORMAL);
        return;
    }
    if (address.startsWith(QLatin1Char('/'))) {
        open(QUrl::fromLocalFile(address));
        return;
    }
    static const char *const schemes[]
        = {"http:", "https:", "file:", "about:", "view-source:", "data:", "ftp:", "qrc:"};
    for (const char *scheme : schemes) {
        if (hasScheme(address, scheme)) {
            open(QUrl(address));
            return;
        }
    }
    // Text without a scheme: a host name or a partial address, as a user types it.
    open(QUrl::fromUserInput(address));
}

void EngineWebBrowser::open(const QUrl &url)
{
    // The status names the page at once, as the engine's start of the load will: the
    // window's first frame shows it, and the start does not cost the window another one
    // while the engine is busiest.
    const QUrl address = static_cast<BrowserPage *>(m_view->page())->secureFirst(url);
    if (address.isValid())
        announceLoad(address);
    m_view->load(address);
}

void EngineWebBrowser::announceLoad(const QUrl &url)
{
    m_loadingText = QStringLiteral("Opening page ") + url.toString();
    Q_EMIT StatusTextChange(m_loadingText);
}

void EngineWebBrowser::GoBack()
{
    m_view->back();
}

void EngineWebBrowser::GoForward()
{
    m_view->forward();
}

void EngineWebBrowser::Stop()
{
    m_view->stop();
}

QString EngineWebBrowser::LocationURL() const
{
    return m_view->url().toString();
}

QString EngineWebBrowser::LocationName() const
{
    const QString title = m_view->title();
    return title.isEmpty() ? LocationURL() : title;
}

void EngineWebBrowser::ExecWB(int cmdId, int, const QVariant &, QVariant *)
{
    switch (cmdId) {
    case OLECMDID_SAVEAS:
        saveAs();
        break;
    case OLECMDID_PRINT:
        print();
        break;
    case OLECMDID_PRINTPREVIEW:
        printPreview();
        break;
    default:
        break;
    }
}

void EngineWebBrowser::AnswerPermission(bool allow)
{
    m_permissions->answer(allow);
}

void EngineWebBrowser::saveAs()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString name = m_view->title().isEmpty() ? QStringLiteral("page") : m_view->title();
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    const QString path
        = QFileDialog::getSaveFileName(this, QStringLiteral("Save Web Page"),
                                       dir + QLatin1Char('/') + name + QStringLiteral(".html"),
                                       QStringLiteral("Web page, complete (*.html *.htm)"));
    if (path.isEmpty())
        return;
    m_view->page()->save(path, QWebEngineDownloadRequest::CompleteHtmlSaveFormat);
}

void EngineWebBrowser::print()
{
    auto *printer = new QPrinter(QPrinter::HighResolution);
    QPrintDialog dialog(printer, this);
    if (dialog.exec() != QDialog::Accepted) {
        delete printer;
        return;
    }
    // To a file, the engine writes the PDF itself: text stays text, searchable and
    // selectable, where printing through the printer object would paint a picture of it.
    if (printer->outputFormat() == QPrinter::PdfFormat && !printer->outputFileName().isEmpty()) {
        const QString file = printer->outputFileName();
        const QPageLayout layout = printer->pageLayout();
        const QPageRanges ranges = printer->pageRanges();
        delete printer;
        m_view->page()->printToPdf(file, layout, ranges);
        return;
    }
    // Printing runs in the engine; the printer must live until it reports back.
    connect(
        m_view, &QWebEngineView::printFinished, this, [printer] { delete printer; },
        Qt::SingleShotConnection);
    m_view->print(printer);
}

void EngineWebBrowser::printPreview()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter *p) {
        // The preview wants its pages drawn before this returns.
        QEventLoop loop;
        connect(m_view, &QWebEngineView::printFinished, &loop, &QEventLoop::quit);
        m_view->print(p);
        loop.exec();
    });
    preview.exec();
}

} // namespace engine
