#include "engine/BrowserPage.h"

#include "browse/NoticePages.h"
#include "engine/WebBrowser.h"

#include <QRandomGenerator>
#include <QSslCertificate>
#include <QTimer>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>

namespace engine {

namespace {

// The program's own pages' buttons are links to this host, which never goes on the wire;
// the run's random key keeps a site from pressing them.
constexpr char kCommandHost[] = "scoutwell.invalid";

QString runKey()
{
    static const QString key = QString::number(QRandomGenerator::system()->generate64(), 36);
    return key;
}

// Hosts whose certificate error the user let through: for this run only.
QSet<QString> &passedHosts()
{
    static QSet<QString> hosts;
    return hosts;
}

QString names(const QStringList &parts)
{
    return parts.join(QStringLiteral(", "));
}

} // namespace

BrowserPage::BrowserPage(QWebEngineProfile *profile, QObject *parent)
    : QWebEnginePage(profile, parent), m_httpsFirst(this)
{
    connect(this, &QWebEnginePage::loadingChanged, this, &BrowserPage::onLoadingChanged);
    connect(this, &QWebEnginePage::certificateError, this, &BrowserPage::onCertificateError);
    connect(
        this, &QWebEnginePage::renderProcessTerminated, this,
        [this](RenderProcessTerminationStatus status, int) { onRenderProcessTerminated(status); });
    connect(&m_httpsFirst, &HttpsFirst::fallBack, this, [this](const QUrl &plain) {
        // The secure try may still be waiting on the network.
        triggerAction(QWebEnginePage::Stop);
        load(plain);
    });
}

QString BrowserPage::command(const char *name) const
{
    return QStringLiteral("https://") + QLatin1String(kCommandHost) + QLatin1Char('/') + runKey()
        + QLatin1Char('/') + QLatin1String(name);
}

bool BrowserPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (isMainFrame) {
        if (type != NavigationTypeRedirect)
            m_chain.clear();
        m_chain.append(url);
    }
    if (!isMainFrame)
        return true;
    if (url.host() == QLatin1String(kCommandHost)) {
        const QString path = url.path();
        if (!path.startsWith(QLatin1Char('/') + runKey() + QLatin1Char('/')))
            return false;
        const QString what = path.section(QLatin1Char('/'), 2);
        // Queued: the engine is still deciding this navigation.
        QTimer::singleShot(0, this, [this, what] {
            if (what == QLatin1String("back")) {
                // Back past the refused load of the warned address, which would only warn
                // again.
                const QList<QWebEngineHistoryItem> items = history()->backItems(100);
                for (auto it = items.crbegin(); it != items.crend(); ++it) {
                    if (it->url() != m_warned) {
                        history()->goToItem(*it);
                        return;
                    }
                }
                load(QUrl(QStringLiteral("about:blank")));
            } else if (what == QLatin1String("continue") && m_warned.isValid()) {
                passedHosts().insert(m_warned.host());
                load(m_warned);
            } else if (what == QLatin1String("reload") && m_crashed.isValid()) {
                load(m_crashed);
            }
        });
        return false;
    }
    if (url.scheme() == QLatin1String("data"))
        return true; // the program's own page, or a site's data address
    m_local = false;
    // History and reloads go where they went before; a redirect goes where the site says
    // (a secure form sent back to plain HTTP falls back).
    if (type == NavigationTypeBackForward || type == NavigationTypeReload)
        return true;
    if (type == NavigationTypeRedirect) {
        if (m_httpsFirst.trying().isValid() && url.scheme() == QLatin1String("http"))
            m_httpsFirst.failed(QUrl(QStringLiteral("https://") + url.host()));
        return true;
    }
    return true;
}

QUrl BrowserPage::secureFirst(const QUrl &url)
{
    return m_httpsFirst.upgrade(url);
}

void BrowserPage::onLoadingChanged(const QWebEngineLoadingInfo &info)
{
    switch (info.status()) {
    case QWebEngineLoadingInfo::LoadStartedStatus:
        return;
    case QWebEngineLoadingInfo::LoadStoppedStatus:
        return;
    case QWebEngineLoadingInfo::LoadSucceededStatus:
        m_httpsFirst.answered(info.url());
        break;
    case QWebEngineLoadingInfo::LoadFailedStatus:
        if (info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain)
            m_httpsFirst.answered(info.url());
        else if (m_httpsFirst.failed(info.url()))
            return;
        break;
    }
    for (int i = 0; i < m_pending.size(); ++i) {
        const QWebEngineCertificateError &error = m_pending.at(i);
        if (error.url() != info.url()
            || info.status() == QWebEngineLoadingInfo::LoadSucceededStatus)
            continue;
        notice::CertificateFacts facts;
        facts.host = error.url().host();
        facts.description = error.description();
        facts.overridable = error.isOverridable();
        const QList<QSslCertificate> chain = error.certificateChain();
        if (!chain.isEmpty()) {
            const QSslCertificate &leaf = chain.first();
            facts.subject = names(leaf.subjectInfo(QSslCertificate::CommonName));
            facts.issuer = names(leaf.issuerInfo(QSslCertificate::CommonName)) + QLatin1Char(' ')
                + names(leaf.issuerInfo(QSslCertificate::Organization));
            facts.validFrom = leaf.effectiveDate().toString(Qt::RFC2822Date);
            facts.validTo = leaf.expiryDate().toString(Qt::RFC2822Date);
        }
        m_warned = error.url();
        m_pending.removeAt(i);
        showLocal(notice::CertificateErrorPage(facts, command("back"), command("continue")),
                  m_warned, notice::CertificateErrorTitle(facts.host));
        return;
    }
    if (!m_local)
        updateConnection(info.url());
}

void BrowserPage::onCertificateError(const QWebEngineCertificateError &error)
{
    QWebEngineCertificateError e = error;
    const QString host = e.url().host();
    if (e.isOverridable() && passedHosts().contains(host)) {
        e.acceptCertificate();
        return;
    }
    e.rejectCertificate();
    // A secure form the program tried on its own falls back rather than warns: the user
    // asked for the plain address.
    if (m_httpsFirst.trying().isValid() && m_httpsFirst.trying().host() == host)
        return;
    m_pending.append(e);
}

void BrowserPage::onRenderProcessTerminated(RenderProcessTerminationStatus status)
{
    if (status == NormalTerminationStatus)
        return;
    const QString kind = status == CrashedTerminationStatus ? QStringLiteral("crashed")
        : status == KilledTerminationStatus                 ? QStringLiteral("was killed")
                                                            : QStringLiteral("ended abnormally");
    m_crashed = url();
    const QUrl shown = m_crashed;
    // Loaded once the engine is done with the ended process.
    QTimer::singleShot(0, this, [this, shown, kind] {
        showLocal(notice::CrashedPage(shown.toString(), kind, command("reload")), shown,
                  QStringLiteral("The page's process ") + kind);
    });
}

void BrowserPage::showLocal(const QString &html, const QUrl &address, const QString &status)
{
    m_local = true;
    m_state = ConnectionLocal;
    m_detail.clear();
    Q_EMIT connectionChanged(m_state, m_detail);
    m_notice = status;
    setHtml(html, address);
}

void BrowserPage::updateConnection(const QUrl &url)
{
    const QString host = url.host();
    if (url.scheme() == QLatin1String("https")) {
        if (passedHosts().contains(host)) {
            m_state = ConnectionCertificateError;
            m_detail = host + QStringLiteral(": certificate error passed over for this run");
        } else {
            m_state = ConnectionSecure;
            m_detail = host + QStringLiteral(": encrypted, certificate verified");
        }
    } else if (url.scheme() == QLatin1String("http")) {
        m_state = ConnectionNotEncrypted;
        m_detail = host + QStringLiteral(": not encrypted");
    } else {
        m_state = ConnectionLocal;
        m_detail.clear();
    }
    Q_EMIT connectionChanged(m_state, m_detail);
}

} // namespace engine
