#include "engine/HttpsFirst.h"

#include "settings/ProgramSettings.h"

#include <QHostAddress>

namespace engine {

namespace {

QSet<QString> &fallenBack()
{
    static QSet<QString> hosts;
    return hosts;
}

bool isLocal(const QString &host)
{
    // Names reserved never to reach the network: the program's own page links use .invalid.
    if (host == QLatin1String("localhost") || host.endsWith(QLatin1String(".localhost"))
        || host.endsWith(QLatin1String(".invalid")))
        return true;
    QHostAddress address;
    if (!address.setAddress(host))
        return false;
    if (address.isNull() || address.isLoopback() || address.isLinkLocal()
        || address.isUniqueLocalUnicast() || address == QHostAddress::AnyIPv4
        || address == QHostAddress::AnyIPv6)
        return true;
    // The private ranges, and 100.64/10 (carrier-grade NAT), private in all but name.
    static const char *const ranges[]
        = {"10.0.0.0/8", "172.16.0.0/12", "192.168.0.0/16", "100.64.0.0/10"};
    for (const char *range : ranges) {
        if (address.isInSubnet(QHostAddress::parseSubnet(QLatin1String(range))))
            return true;
    }
    return false;
}

QSet<QUrl> &failedTries()
{
    static QSet<QUrl> urls;
    return urls;
}

} // namespace

QUrl SecureFormOf(const QUrl &url)
{
    if (!url.isValid() || url.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) != 0)
        return {};
    const QString host = url.host().toLower();
    if (host.isEmpty() || isLocal(host))
        return {};
    // An address (IPv4 or IPv6) has dots or colons but is not a name of one label.
    QHostAddress address;
    if (!address.setAddress(host) && !host.contains(QLatin1Char('.')))
        return {};
    if (url.port() != -1 && url.port() != 80)
        return {};
    QUrl secure = url;
    secure.setScheme(QStringLiteral("https"));
    secure.setPort(-1);
    return secure;
}

HttpsFirst::HttpsFirst(QObject *parent) : QObject(parent)
{
    m_clock.setSingleShot(true);
    m_clock.setInterval(kTimeoutMs);
    connect(&m_clock, &QTimer::timeout, this, &HttpsFirst::overdue);
}

bool HttpsFirst::fellBack(const QString &host)
{
    return fallenBack().contains(host.toLower());
}

bool HttpsFirst::isFailedTry(const QUrl &url)
{
    return failedTries().contains(url.adjusted(QUrl::RemoveFragment));
}

QUrl HttpsFirst::upgrade(const QUrl &url)
{
    if (!m_secure.isEmpty() && url == m_secure)
        return url; // the try itself, on its way
    forget();
    if (settings::Program().httpsFirst.isOff(QStringLiteral("1")))
        return url;
    const QUrl secure = SecureFormOf(url);
    if (secure.isEmpty() || fellBack(url.host()))
        return url;
    m_plain = url;
    m_secure = secure;
    m_clock.start();
    return secure;
}

void HttpsFirst::started(const QUrl &url)
{
    if (!m_plain.isEmpty() && url == m_secure)
        m_clock.start();
}

void HttpsFirst::answered(const QUrl &url)
{
    if (!m_plain.isEmpty() && url.host() == m_secure.host())
        forget();
}

bool HttpsFirst::failed(const QUrl &url)
{
    if (m_plain.isEmpty() || url.host() != m_secure.host())
        return false;
    giveUp();
    return true;
}

void HttpsFirst::forget()
{
    m_clock.stop();
    m_plain.clear();
    m_secure.clear();
}

void HttpsFirst::giveUp()
{
    const QUrl plain = m_plain;
    const QUrl secure = m_secure;
    forget();
    if (plain.isEmpty())
        return;
    fallenBack().insert(plain.host().toLower());
    failedTries().insert(secure.adjusted(QUrl::RemoveFragment));
    Q_EMIT fallBack(plain);
}

} // namespace engine
