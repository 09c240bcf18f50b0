#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <QUrl>

namespace engine {

// The secure form of a plain-HTTP address, or an empty address when it is loaded as given:
// not "http:", a host on this machine or the local network (localhost, loopback and private
// ranges, link-local), a host name of one label (an intranet name), or a port other than 80
// (a server on another port seldom answers TLS on it).
QUrl SecureFormOf(const QUrl &url);

// Asks for the secure form of plain-HTTP addresses first, for one browser control. A host
// whose secure form failed is remembered for the run (for every window), so it costs one try.
class HttpsFirst : public QObject
{
    Q_OBJECT
public:
    // How long the secure form may take to answer before the plain address is loaded.
    static constexpr int kTimeoutMs = 4000;

    explicit HttpsFirst(QObject *parent);

    // The address to load for a top-level navigation to url: its secure form while the
    // switch is on and the host has not fallen back, or url itself. A secure form starts the
    // clock.
    QUrl upgrade(const QUrl &url);
    // The secure try answered (any HTTP status): it stays.
    void answered(const QUrl &url);
    // The secure try failed to connect or to agree on TLS: the plain address is loaded.
    bool failed(const QUrl &url);
    // The plain address a secure try stands for, while one is under way.
    QUrl trying() const { return m_plain; }

    static bool fellBack(const QString &host);

Q_SIGNALS:
    // Load this plain address instead: its secure form failed or took too long.
    void fallBack(const QUrl &plain);

private:
    void giveUp();

    QUrl m_plain; // the plain address of the try under way
    QUrl m_secure;
    QTimer m_clock;
};

} // namespace engine
