#include "find/PageSiteOffer.h"

#include "app/App.h"
#include "browse/Form1.h"
#include "compat/Dialogs.h"
#include "engine/EngineWebBrowser.h"
#include "find/OpenSearch.h"
#include "find/UserSites.h"
#include "find/frmAddSite.h"
#include "widgets/ClickLabel.h"

#include <QRandomGenerator>
#include <QStatusBar>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

namespace usersites {

namespace {

constexpr int kPollMs = 100;
constexpr int kMaxPolls = 150; // the site has 15 seconds to answer
// Names a page gives are cut to what fits the status bar; the dialog shows the full one.
constexpr qsizetype kPanelNameLength = 40;

// The page's first OpenSearch link: its absolute address and title. Run in the program's
// own script world, so the page's scripts cannot see it or change what it finds.
constexpr char kLookScript[] = R"((function () {
  var l = document.querySelector(
    'link[rel~="search" i][type="application/opensearchdescription+xml" i][href]');
  return l ? [String(l.href), String(l.title || '')] : null;
})())";

// Fetches the description through the page, as the page itself would: the profile's cookies,
// cache, proxy and certificate checks, the guard's lists, and the page's own rules (same
// origin, its content security policy), so a page cannot have the program read what it could
// not read itself; a page whose rules forbid the read cannot offer its search. Reading stops at the
// size limit. The answer waits in the program's script world under the fetch's token until polled:
// a script's promise is not handed back to the program by the engine.
constexpr char kFetchScript[] = R"((function (url, limit, token) {
  var put = function (r) { window[token] = r; };
  fetch(url, {credentials: 'same-origin', redirect: 'follow'}).then(function (response) {
    if (!response.ok) { put({error: 'status ' + response.status}); return; }
    var reader = response.body.getReader(), parts = [], total = 0;
    var next = function () {
      return reader.read().then(function (chunk) {
        if (chunk.done) {
          var s = '';
          parts.forEach(function (p) {
            for (var i = 0; i < p.length; i += 8192)
              s += String.fromCharCode.apply(null, p.subarray(i, i + 8192));
          });
          put({data: btoa(s)});
          return;
        }
        total += chunk.value.length;
        if (total > limit) { reader.cancel(); put({error: 'large'}); return; }
        parts.push(chunk.value);
        return next();
      });
    };
    return next();
  }).catch(function (e) { put({error: String(e)}); });
})(%1, %2, %3))";

QString jsString(const QString &text)
{
    QString out = QStringLiteral("'");
    for (const QChar c : text) {
        if (c.isLetterOrNumber() && c.unicode() < 128)
            out += c;
        else
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    return out + u'\'';
}

void tell(const QString &text)
{
    compat::MsgBox(text, compat::vbExclamation, app::MainCaption());
}

} // namespace

void PageSiteOffer::Attach(Form1 *window)
{
    auto *browser = qobject_cast<engine::EngineWebBrowser *>(window->WebBrowser1);
    if (browser)
        new PageSiteOffer(window, browser->view()->page());
}

PageSiteOffer::PageSiteOffer(Form1 *window, QWebEnginePage *page)
    : QObject(window), m_window(window), m_page(page)
{
    m_panel = new widgets::ClickLabel(window->StatusBar1);
    m_panel->setObjectName(QStringLiteral("StatusBarAddSite"));
    // A page's title, never its markup.
    m_panel->setTextFormat(Qt::PlainText);
    // Drawn as a link: unlike the panels beside it, it is an offer to act on.
    m_panel->setStyleSheet(QStringLiteral("color: palette(link); text-decoration: underline;"));
    m_panel->setToolTip(QStringLiteral("This site offers its own search; click to add it to "
                                       "Find Freeware or Find on the web"));
    m_panel->hide();
    window->StatusBar1->addPermanentWidget(m_panel);
    connect(m_panel, &widgets::ClickLabel::clicked, this, &PageSiteOffer::panel_Click);
    connect(page, &QWebEnginePage::loadStarted, this, [this] {
        stop();
        m_panel->hide();
        m_description.clear();
    });
    connect(page, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        if (ok)
            look();
    });
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &PageSiteOffer::poll);
}

void PageSiteOffer::look()
{
    const QUrl page = m_page->url();
    m_page->runJavaScript(
        QString::fromLatin1(kLookScript), QWebEngineScript::ApplicationWorld,
        [this, self = QPointer<PageSiteOffer>(this), page](const QVariant &found) {
            const QVariantList link = found.toList();
            if (!self || !m_page || m_page->url() != page || link.size() != 2)
                return;
            const QUrl href(link[0].toString());
            if (href.scheme() != u"http" && href.scheme() != u"https")
                return;
            m_description = href;
            m_title = link[1].toString().simplified();
            showOffer();
            m_panel->show();
        });
}

void PageSiteOffer::showOffer()
{
    const QString name = m_title.isEmpty() ? m_description.host() : m_title;
    m_panel->setText(QStringLiteral("Add %1 as a search site")
                         .arg(name.size() > kPanelNameLength
                                  ? name.left(kPanelNameLength - 1) + QChar(0x2026)
                                  : name));
}

void PageSiteOffer::panel_Click()
{
    if (!m_page || m_description.isEmpty() || !m_token.isEmpty())
        return;
    m_token = QStringLiteral("scoutwellSite")
        + QString::number(QRandomGenerator::system()->generate64(), 16);
    m_page->runJavaScript(QString::fromLatin1(kFetchScript)
                              .arg(jsString(m_description.toString(QUrl::FullyEncoded)))
                              .arg(opensearch::kMaxDescriptionSize)
                              .arg(jsString(m_token)),
                          QWebEngineScript::ApplicationWorld);
    m_polls = 0;
    m_panel->setText(QStringLiteral("Reading the site's search…"));
    m_poll.start();
}

void PageSiteOffer::poll()
{
    if (!m_page || ++m_polls > kMaxPolls) {
        stop();
        m_panel->setText(QStringLiteral("The site's search could not be read"));
        tell(QStringLiteral("The site did not send its search description in time."));
        return;
    }
    const QString token = m_token;
    m_page->runJavaScript(
        QStringLiteral("window[%1] || null").arg(jsString(token)),
        QWebEngineScript::ApplicationWorld,
        [this, self = QPointer<PageSiteOffer>(this), token](const QVariant &result) {
            if (!self || token != m_token || result.isNull() || !result.isValid())
                return;
            stop();
            fetched(result.toMap());
        });
}

void PageSiteOffer::stop()
{
    m_poll.stop();
    m_token.clear();
}

void PageSiteOffer::fetched(const QVariantMap &result)
{
    showOffer();
    const QString error = result.value(QStringLiteral("error")).toString();
    if (error == u"large") {
        tell(QStringLiteral("The site's search description is larger than %1 KB; it was not "
                            "read.")
                 .arg(opensearch::kMaxDescriptionSize / 1024));
        return;
    }
    if (!error.isEmpty()) {
        // The engine says no more than "failed" when the site cannot be reached and when the
        // page's own rules (its content security policy, or another site's refusal to share)
        // forbid the read: the program reads only what the page itself could.
        tell(error.startsWith(u"status ")
                 ? QStringLiteral("The site did not send its search description (HTTP %1).")
                       .arg(error.mid(7))
                 : QStringLiteral("The site's search description could not be read: the site "
                                  "could not be reached, or the page does not allow it to be "
                                  "read."));
        return;
    }
    const opensearch::Description d = opensearch::ParseDescription(
        QByteArray::fromBase64(result.value(QStringLiteral("data")).toString().toLatin1()));
    if (!d.error.isEmpty()) {
        tell(d.error);
        return;
    }
    // Offered again on a later visit, the same search is not added twice under two names.
    EnsureLoaded();
    for (const List list : {List::Freeware, List::Engines}) {
        for (const Site &site : UserSites::instance().rows(list)) {
            if (site.address == d.address) {
                compat::MsgBox(QStringLiteral("This site's search is in your list already, as "
                                              "\"%1\".")
                                   .arg(site.name),
                               compat::vbInformation, app::MainCaption());
                return;
            }
        }
    }
    auto *dialog
        = new frmAddSite(d.name.isEmpty() ? m_title.left(64) : d.name, d.address, m_window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::ApplicationModal);
    // Added, the offer has been taken up: it is not made again for this page.
    connect(dialog, &QDialog::accepted, m_panel, &QWidget::hide);
    dialog->show();
}

} // namespace usersites
