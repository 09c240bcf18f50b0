#include "guard/RequestGuard.h"

#include "guard/FilterEngine.h"

#include <QWebEngineUrlRequestInfo>

namespace guard {

namespace {

ResourceType typeOf(QWebEngineUrlRequestInfo::ResourceType type)
{
    using Q = QWebEngineUrlRequestInfo;
    switch (type) {
    case Q::ResourceTypeMainFrame:
        return ResourceType::Document;
    case Q::ResourceTypeSubFrame:
        return ResourceType::Subdocument;
    case Q::ResourceTypeStylesheet:
        return ResourceType::Stylesheet;
    case Q::ResourceTypeScript:
    case Q::ResourceTypeWorker:
    case Q::ResourceTypeSharedWorker:
    case Q::ResourceTypeServiceWorker:
        return ResourceType::Script;
    case Q::ResourceTypeImage:
    case Q::ResourceTypeFavicon:
        return ResourceType::Image;
    case Q::ResourceTypeFontResource:
        return ResourceType::Font;
    case Q::ResourceTypeObject:
    case Q::ResourceTypePluginResource:
        return ResourceType::Object;
    case Q::ResourceTypeMedia:
        return ResourceType::Media;
    case Q::ResourceTypeXhr:
        return ResourceType::XmlHttpRequest;
    case Q::ResourceTypePing:
    case Q::ResourceTypeCspReport:
        return ResourceType::Ping;
    case Q::ResourceTypeWebSocket:
        return ResourceType::WebSocket;
    default:
        return ResourceType::Other;
    }
}

bool filtered(const QUrl &url)
{
    const QString scheme = url.scheme();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https")
        || scheme == QLatin1String("ws") || scheme == QLatin1String("wss");
}

} // namespace

void RequestGuard::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    const QUrl url = info.requestUrl();
    if (!filtered(url))
        return;
    const bool top = info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame;
    if (top && url.host() == QLatin1String(kAnswerHost)) {
        info.block(true);
        Q_EMIT warningAnswered(url.path());
        return;
    }
    const std::shared_ptr<const GuardSnapshot> s = m_snapshot.load();
    if (top)
        Q_EMIT navigating(url);
    else if (info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeSubFrame)
        Q_EMIT frameRequested(url);
    if (!s || !s->engine)
        return;
    const QUrl page = top ? url : info.firstPartyUrl();
    if (s->sitesOff.contains(page.host()))
        return;
    const QByteArray address = url.toEncoded(QUrl::RemoveFragment);
    if (top) {
        if (s->passedOnce.contains(QString::fromUtf8(address)))
            return;
        // The lists say the same of a page in either scheme: a site let through once is let
        // through when the browser asks for its secure form first, or falls back from it.
        QUrl other = url.adjusted(QUrl::RemoveFragment);
        other.setScheme(url.scheme() == QLatin1String("https") ? QStringLiteral("http")
                                                               : QStringLiteral("https"));
        if (s->passedOnce.contains(QString::fromUtf8(other.toEncoded())))
            return;
        const std::string_view a(address.constData(), size_t(address.size()));
        const Decision d = s->engine->match({a, {}, ResourceType::Document});
        if (d.kind != Decision::Block)
            return;
        info.block(true);
        const bool known = d.list >= 0 && d.list < s->listNames.size();
        Q_EMIT documentBlocked(url, known ? s->listNames[d.list] : QString(),
                               known && s->warns[d.list], QString::fromStdString(d.filter));
        return;
    }
    const QByteArray pageAddress = page.toEncoded(QUrl::RemoveFragment);
    const Decision d
        = s->engine->match({std::string_view(address.constData(), size_t(address.size())),
                            std::string_view(pageAddress.constData(), size_t(pageAddress.size())),
                            typeOf(info.resourceType())});
    if (d.kind == Decision::Block) {
        info.block(true);
        Q_EMIT requestBlocked(url, page);
    }
}

} // namespace guard
