#include "engine/BrowserPage.h"

#include "engine/NoticePages.h"
#include "engine/WebBrowser.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSslCertificate>
#include <QSslSocket>
#include <QTimer>
#include <QWebEngineScript>

#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <algorithm>
#include <memory>

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

// Who issued a certificate, as a person knows them: the organisation, with its name for
// the certificate authority.
QString issuerOf(const QSslCertificate &certificate)
{
    const QString organisation = names(certificate.issuerInfo(QSslCertificate::Organization));
    const QString name = names(certificate.issuerInfo(QSslCertificate::CommonName));
    if (organisation.isEmpty() || name.isEmpty())
        return organisation + name;
    return organisation + QStringLiteral(" (") + name + QLatin1Char(')');
}

// The issuer of the certificate each host presented, by host: "" while it is being asked.
QHash<QString, QString> &issuers()
{
    static QHash<QString, QString> hosts;
    return hosts;
}

// Where the engine was told to find a host (its resolver rules, "MAP pattern address"), so
// that the program's own connection reaches the same server; the host itself otherwise.
QString mappedAddress(const QString &host)
{
    static const QList<std::pair<QString, QString>> rules = [] {
        QList<std::pair<QString, QString>> list;
        const QString flags = qEnvironmentVariable("QTWEBENGINE_CHROMIUM_FLAGS");
        const qsizetype at = flags.indexOf(QLatin1String("--host-resolver-rules="));
        if (at < 0)
            return list;
        static const QRegularExpression rule(QStringLiteral("MAP\\s+(\\S+)\\s+([^\\s,\"]+)"));
        for (auto it = rule.globalMatch(flags.mid(at)); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            list.append({m.captured(1), m.captured(2)});
        }
        return list;
    }();
    for (const auto &[pattern, address] : rules) {
        if (pattern == host || pattern == QLatin1String("*")
            || (pattern.startsWith(QLatin1String("*.")) && host.endsWith(pattern.mid(1))))
            return address;
    }
    return host;
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
        // Queued: the engine may be reporting the try's end. The plain load replaces a try
        // still waiting on the network; stopping it first would race the engine committing it.
        const int serial = m_serial;
        QTimer::singleShot(0, this, [this, plain, serial] {
            if (serial == m_serial)
                load(plain);
        });
    });
    connect(&m_httpsFirst, &HttpsFirst::overdue, this, &BrowserPage::checkOverdue);
}

void BrowserPage::checkOverdue()
{
    // A slow page whose document has arrived over HTTPS has answered: only a try that has not
    // yet shown its document falls back. The document shown says which; a renderer too busy to
    // say is given a moment more.
    const QUrl secure = m_httpsFirst.secure();
    auto decided = std::make_shared<bool>(false);
    const auto decide = [this, secure, decided](bool arrived) {
        if (*decided || m_httpsFirst.secure() != secure)
            return;
        *decided = true;
        if (arrived)
            m_httpsFirst.answered(secure);
        else
            m_httpsFirst.giveUp();
    };
    runJavaScript(QStringLiteral("location.href"), QWebEngineScript::ApplicationWorld,
                  [secure, decide](const QVariant &href) {
                      decide(QUrl(href.toString()).adjusted(QUrl::RemoveFragment)
                             == secure.adjusted(QUrl::RemoveFragment));
                  });
    QTimer::singleShot(1000, this, [decide] { decide(false); });
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
                    if (it->url() != m_warned && !HttpsFirst::isFailedTry(it->url())) {
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
    if (url.scheme() == QLatin1String("data")) {
        // The program's own page (the guard's warning, say, in place of a secure try it
        // refused: asked for again, that is the same try), or a site's data address.
        if (m_httpsFirst.trying().isValid()) {
            m_refusedTry = {m_httpsFirst.trying(), m_httpsFirst.secure()};
            m_httpsFirst.forget();
        }
        m_local = true;
        return true;
    }
    switch (type) {
    case NavigationTypeRedirect:
        // A redirect goes where the site says; a secure form sent back to plain HTTP falls
        // back, as the site asks.
        if (m_httpsFirst.trying().isValid() && url.scheme() == QLatin1String("http"))
            m_httpsFirst.failed(QUrl(QStringLiteral("https://") + url.host()));
        return true;
    case NavigationTypeBackForward:
        // A secure try given up stays in the history as a failed load: Back and Forward
        // step over it, however they were asked for.
        if (HttpsFirst::isFailedTry(url)) {
            QTimer::singleShot(0, this, [this, url] { stepOver(url); });
            return false;
        }
        break;
    case NavigationTypeReload:
        break;
    case NavigationTypeFormSubmitted:
        // A form may send its fields with the request, which a second request would lose
        // or send twice: it goes as the page made it.
        m_httpsFirst.forget();
        break;
    case NavigationTypeLinkClicked:
    case NavigationTypeTyped:
    case NavigationTypeOther: {
        // Links, a page's own moves and addresses opened by the program: the secure form
        // first (one the program opened has been made secure already).
        const bool again = url == m_refusedTry.second;
        const QUrl secure = m_httpsFirst.upgrade(again ? m_refusedTry.first : url);
        if (again)
            m_refusedTry = {};
        if (secure != url) {
            QTimer::singleShot(0, this, [this, secure] { load(secure); });
            return false;
        }
        break;
    }
    }
    ++m_serial;
    m_local = false;
    m_notice.clear();
    return true;
}

void BrowserPage::stepOver(const QUrl &failed)
{
    // The refused step went to the failed try nearest the page shown; the first item past
    // the failed tries on that side is where it meant to go.
    const QList<QWebEngineHistoryItem> items = history()->items();
    // The history counts the refused step as current until the engine has let it go.
    const int current = m_shownIndex;
    int target = -1;
    for (int i = 0; i < items.size(); ++i) {
        if (i != current && items.at(i).url() == failed
            && (target < 0 || std::abs(i - current) < std::abs(target - current)))
            target = i;
    }
    if (target < 0)
        return;
    const int step = target < current ? -1 : 1;
    for (int i = target; i >= 0 && i < items.size(); i += step) {
        if (!HttpsFirst::isFailedTry(items.at(i).url())) {
            history()->goToItem(items.at(i));
            return;
        }
    }
}

QUrl BrowserPage::secureFirst(const QUrl &url)
{
    return m_httpsFirst.upgrade(url);
}

void BrowserPage::onLoadingChanged(const QWebEngineLoadingInfo &info)
{
    switch (info.status()) {
    case QWebEngineLoadingInfo::LoadStartedStatus:
        m_httpsFirst.started(info.url());
        return;
    case QWebEngineLoadingInfo::LoadStoppedStatus:
        // Stopped by the user, or replaced by another load: no answer either way.
        if (info.url() == m_httpsFirst.secure())
            m_httpsFirst.forget();
        return;
    case QWebEngineLoadingInfo::LoadSucceededStatus:
        m_shownIndex = history()->currentItemIndex();
        if (!m_local) // the program's own page stands at the address, the site has not answered
            m_httpsFirst.answered(info.url());
        break;
    case QWebEngineLoadingInfo::LoadFailedStatus:
        m_shownIndex = history()->currentItemIndex();
        switch (info.errorDomain()) {
        case QWebEngineLoadingInfo::ConnectionErrorDomain:
        case QWebEngineLoadingInfo::CertificateErrorDomain:
        case QWebEngineLoadingInfo::HttpErrorDomain:
        case QWebEngineLoadingInfo::DnsErrorDomain:
            // No connection, no TLS, or no usable answer over it.
            if (m_httpsFirst.failed(info.url()))
                return;
            break;
        case QWebEngineLoadingInfo::HttpStatusCodeDomain:
            m_httpsFirst.answered(info.url()); // a page, if an error page of the site's
            break;
        default:
            // Aborted, or refused by the program itself: the plain address would be no
            // better.
            if (info.url() == m_httpsFirst.secure())
                m_httpsFirst.forget();
            break;
        }
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
            facts.issuer = issuerOf(leaf);
            issuers().insert(facts.host, facts.issuer);
            facts.validFrom = leaf.effectiveDate().toString(Qt::RFC2822Date);
            facts.validTo = leaf.expiryDate().toString(Qt::RFC2822Date);
        }
        m_warned = error.url();
        m_pending.removeAt(i);
        showLocal(notice::CertificateErrorPage(facts, command("back"), command("continue")),
                  m_warned, notice::CertificateErrorTitle(facts.host));
        return;
    }
    // The engine's error page and the program's own pages have no connection to show.
    const bool site = info.status() == QWebEngineLoadingInfo::LoadSucceededStatus
        || info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain;
    updateConnection(m_local || !site ? QUrl() : info.url());
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

void BrowserPage::askIssuer(const QUrl &url)
{
    // The engine does not say which certificate it verified: a connection of the program's
    // own reads the one the host presents, once a host and run, for the panel's tooltip.
    const QString host = url.host();
    if (issuers().contains(host))
        return;
    issuers().insert(host, QString());
    auto *socket = new QSslSocket(this);
    socket->setPeerVerifyMode(QSslSocket::VerifyNone);
    connect(socket, &QSslSocket::encrypted, this, [this, socket, host] {
        issuers().insert(host, issuerOf(socket->peerCertificate()));
        socket->disconnectFromHost();
        socket->deleteLater();
        if (m_state == ConnectionSecure && this->url().host() == host)
            updateConnection(this->url());
    });
    connect(socket, &QSslSocket::errorOccurred, socket, &QObject::deleteLater);
    QTimer::singleShot(10000, socket, &QObject::deleteLater);
    socket->connectToHostEncrypted(mappedAddress(host), quint16(url.port(443)), host);
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
            askIssuer(url);
        }
        const QString issuer = issuers().value(host);
        if (!issuer.isEmpty())
            m_detail += QStringLiteral("\nCertificate issued by ") + issuer;
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
