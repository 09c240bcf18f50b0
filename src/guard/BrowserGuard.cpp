#include "guard/BrowserGuard.h"

#include "app/Forms.h"
#include "browse/Form1.h"
#include "engine/EngineWebBrowser.h"
#include "guard/FilterEngine.h"
#include "guard/ListStore.h"
#include "guard/RequestGuard.h"
#include "guard/frmGuard.h"
#include "widgets/ClickLabel.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QStatusBar>
#include <QWebEngineHistory>
#include <QWebEngineHistoryItem>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

namespace guard {

namespace {

constexpr char kScriptName[] = "scoutwell-guard-hiding";

QPointer<BrowserGuard> &currentGuard()
{
    static QPointer<BrowserGuard> g;
    return g;
}

QString html(const QString &text)
{
    return text.toHtmlEscaped();
}

// Why a site on each of the default warning lists is dangerous, in plain words.
QString whyDangerous(const QString &listName)
{
    for (const GuardList &l : ListStore::instance()->lists()) {
        if (l.name != listName || l.kind != GuardList::Default)
            continue;
        if (l.id == QLatin1String("malware"))
            return QStringLiteral(
                "Sites on this list have recently been seen handing out malicious software: "
                "programs that steal passwords, lock your files for ransom or take over your "
                "computer. Even opening a page there can be enough to be attacked.");
        return QStringLiteral(
            "Sites on this list wrap free programs in installers that add unwanted software "
            "(toolbars, adware, fake system cleaners), or trick visitors with fake download "
            "buttons, false virus alarms and scams. What you download there may not be the "
            "program you came for.");
    }
    return QStringLiteral("The list you use blocks this site. Whoever keeps the list decided "
                          "that it should not be opened.");
}

} // namespace

void BrowserGuard::Attach(Form1 *window)
{
    auto *browser = qobject_cast<engine::EngineWebBrowser *>(window->WebBrowser1);
    if (!browser)
        return;
    ListStore *store = ListStore::instance();
    store->start();
    auto *guard = new BrowserGuard(window, browser->view()->page());
    currentGuard() = guard;
}

BrowserGuard *BrowserGuard::current()
{
    return currentGuard();
}

BrowserGuard::BrowserGuard(Form1 *window, QWebEnginePage *page)
    : QObject(window), m_window(window), m_page(page)
{
    m_panel = new widgets::ClickLabel(window->StatusBar1);
    m_panel->setObjectName(QStringLiteral("StatusBarGuard"));
    m_panel->setToolTip(QStringLiteral("Requests the Guard blocked on this page; click to open "
                                       "the Guard window"));
    window->StatusBar1->addPermanentWidget(m_panel);
    connect(m_panel, &widgets::ClickLabel::clicked, this, [] { Forms::Show<frmGuard>(); });

    ListStore *store = ListStore::instance();
    RequestGuard *interceptor = store->interceptor();
    // Where the interceptor runs on this thread, the style sheet for a page or frame is in
    // place before its request goes on; from another thread the signals arrive queued. The
    // page itself is changed only once the engine has had its answer: always queued.
    connect(interceptor, &RequestGuard::navigating, this, &BrowserGuard::navigating);
    connect(interceptor, &RequestGuard::frameRequested, this, &BrowserGuard::frameRequested);
    connect(interceptor, &RequestGuard::requestBlocked, this, [this] {
        ++m_blocked;
        showBlocked();
    });
    connect(interceptor, &RequestGuard::documentBlocked, this, &BrowserGuard::showWarning,
            Qt::QueuedConnection);
    connect(interceptor, &RequestGuard::warningAnswered, this, &BrowserGuard::answered,
            Qt::QueuedConnection);
    connect(store, &ListStore::enabledChanged, this, &BrowserGuard::applyEnabled);
    // A list change reaches the next page; the style sheet of this one is renewed too.
    connect(store, &ListStore::stateChanged, this, &BrowserGuard::updateHidingScript);
    applyEnabled(store->settings().enabled);
}

void BrowserGuard::applyEnabled(bool on)
{
    // Switched off, the profile has no interceptor and pages no script at all: every
    // request and page is as it would be without the guard.
    engine::EngineWebBrowser::profile()->setUrlRequestInterceptor(
        on ? ListStore::instance()->interceptor() : nullptr);
    m_panel->setVisible(on);
    if (!on)
        m_css.clear();
    updateHidingScript();
    showBlocked();
}

QString BrowserGuard::pageHost() const
{
    return m_window ? QUrl(m_window->WebBrowser1->LocationURL()).host() : QString();
}

void BrowserGuard::showBlocked()
{
    m_panel->setText(QStringLiteral("%1 blocked").arg(m_blocked));
    Q_EMIT pageChanged();
}

void BrowserGuard::navigating(const QUrl &url)
{
    if (m_page)
        m_shown = m_page->history()->currentItem().url();
    m_blocked = 0;
    showBlocked();
    m_mainHost = url.host();
    m_css.clear();
    frameRequested(url);
    // A page where nothing is hidden drops the last page's style sheet as well.
    if (m_css.isEmpty())
        updateHidingScript();
}

void BrowserGuard::frameRequested(const QUrl &url)
{
    const QString host = url.host();
    if (m_css.contains(host))
        return;
    const std::shared_ptr<const GuardSnapshot> s = ListStore::instance()->interceptor()->snapshot();
    // Nothing is hidden on a site where blocking is off, frames of other sites included.
    if (!s || !s->engine || s->sitesOff.contains(m_mainHost)
        || !ListStore::instance()->settings().enabled)
        return;
    m_css.insert(host, QString::fromStdString(s->engine->hidingCss(host.toStdString())));
    updateHidingScript();
}

void BrowserGuard::updateHidingScript()
{
    if (!m_page)
        return;
    QWebEngineScriptCollection &scripts = *m_page->profile()->scripts();
    for (const QWebEngineScript &old : scripts.find(QLatin1String(kScriptName)))
        scripts.remove(old);
    QJsonObject table;
    for (auto it = m_css.cbegin(); it != m_css.cend(); ++it)
        if (!it.value().isEmpty())
            table.insert(it.key(), it.value());
    if (table.isEmpty())
        return;
    // Frames without a host of their own (about:blank, srcdoc) take the page's.
    if (m_css.contains(m_mainHost))
        table.insert(QString(), m_css.value(m_mainHost));
    // The profile's scripts, not the page's: only those reach frames of other sites, which
    // the engine runs in processes of their own. An adopted style sheet needs no element to hang
    // on, so it is in place before the page's first element is parsed, and a page cannot find it in
    // its markup.
    QWebEngineScript script;
    script.setName(QLatin1String(kScriptName));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setRunsOnSubFrames(true);
    script.setSourceCode(
        QStringLiteral("(function(){var t=")
        + QString::fromUtf8(QJsonDocument(table).toJson(QJsonDocument::Compact))
        + QStringLiteral(";var c=t[location.hostname];if(c===undefined)c=t[''];if(!c)return;"
                         "try{var s=new CSSStyleSheet();s.replaceSync(c);"
                         "document.adoptedStyleSheets=document.adoptedStyleSheets.concat([s]);"
                         "}catch(e){}})();"));
    scripts.insert(script);
}

void BrowserGuard::showWarning(const QUrl &url, const QString &listName, bool dangerous)
{
    if (!m_page)
        return;
    m_warned = url;
    m_backTo = m_shown;
    m_token = QString::number(QRandomGenerator::system()->generate64(), 16)
        + QString::number(QRandomGenerator::system()->generate64(), 16);
    const QString answer = QStringLiteral("http://") + QLatin1String(RequestGuard::kAnswerHost);
    m_page->setHtml(WarningPage(url, listName, dangerous,
                                answer + QStringLiteral("/continue/") + m_token,
                                answer + QStringLiteral("/back/") + m_token),
                    url);
}

void BrowserGuard::answered(const QString &path)
{
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (!m_page || m_token.isEmpty() || parts.size() != 2 || parts[1] != m_token)
        return;
    m_token.clear();
    if (parts[0] == QLatin1String("continue")) {
        ListStore::instance()->passOnce(
            QString::fromUtf8(m_warned.toEncoded(QUrl::RemoveFragment)));
        m_window->WebBrowser1->Navigate(m_warned.toString());
    } else {
        // Opened afresh rather than through the history: the warning stands where the
        // blocked navigation would have, and a step back from there is not always the page
        // the person came from.
        const bool none = m_backTo.isEmpty() || m_backTo == m_warned;
        m_window->WebBrowser1->Navigate(none ? QStringLiteral("about:blank") : m_backTo.toString());
    }
}

QString BrowserGuard::WarningPage(const QUrl &url, const QString &listName, bool dangerous,
                                  const QString &continueUrl, const QString &backUrl)
{
    const QString host = url.host();
    const QString named = listName.isEmpty()
        ? QStringLiteral("one of your filter lists")
        : QStringLiteral("the filter list “%1”").arg(html(listName));
    QString page = QStringLiteral(
        "<!DOCTYPE html><html><head><meta charset='utf-8'><title>Warning: %1</title>"
        // The page stands at the site's address, so the engine would fetch the site's icon.
        "<link rel='icon' href='data:,'><style>"
        "body{margin:0;font:16px/1.5 sans-serif;background:#fff7f5;color:#222}"
        ".band{background:#b3261e;color:#fff;padding:0 24px;height:64px;line-height:64px;"
        "font-size:24px;font-weight:bold}"
        ".text{padding:8px 24px;height:260px;overflow:auto;max-width:760px}"
        ".buttons{padding:0 24px;height:64px}"
        "a.button{display:inline-block;box-sizing:border-box;height:44px;line-height:44px;"
        "padding:0 20px;margin-right:20px;border-radius:4px;text-decoration:none;font-size:16px}"
        "#back{background:#1a5fb4;color:#fff;width:200px;text-align:center}"
        "#continue{border:1px solid #888;color:#444;width:260px;text-align:center}"
        "code{word-break:break-all}</style></head><body>"
        "<div class='band'>Warning: %1</div><div class='text'>"
        "<p><b>%2</b> is named by %3, so Scoutwell did not open it.</p><p>%4</p>"
        "<p>The address was <code>%5</code>. If you trust this site and know what you are "
        "doing, you can open it this one time; Scoutwell will warn you again the next time "
        "you start it.</p></div><div class='buttons'>"
        "<a class='button' id='back' href='%6' autofocus>Go back</a>"
        "<a class='button' id='continue' href='%7'>Continue to the site once</a></div>"
        "<script>document.getElementById('back').focus()</script></body></html>");
    return page.arg(html(host), html(host), named,
                    dangerous ? html(whyDangerous(listName))
                              : QStringLiteral("The list blocks this site."),
                    html(url.toString()), html(backUrl), html(continueUrl));
}

} // namespace guard
