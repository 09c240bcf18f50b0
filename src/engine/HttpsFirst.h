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
    // How long the secure form may take to answer, from the engine's start of its load,
    // before the plain address is loaded.
    static constexpr int kTimeoutMs = 4000;

    explicit HttpsFirst(QObject *parent);

    // The address to load for a top-level navigation to url: its secure form while the
    // switch is on and the host has not fallen back, or url itself. Any other navigation
    // ends the try under way.
    QUrl upgrade(const QUrl &url);
    // The engine started loading url: the try's clock starts over from here.
    void started(const QUrl &url);
    // The secure try answered (any HTTP status): it stays.
    void answered(const QUrl &url);
    // The secure try failed to connect or to agree on TLS: the plain address is loaded.
    bool failed(const QUrl &url);
    // The try is over without an answer either way (stopped, refused by the program).
    void forget();
    // Gives the try up at once: the plain address is loaded.
    void giveUp();
    // The plain address a secure try stands for, and the secure form, while one is under way.
    QUrl trying() const { return m_plain; }
    QUrl secure() const { return m_secure; }

    static bool fellBack(const QString &host);
    // A secure address that was tried and given up this run: what the engine keeps of it in
    // the page's history is a failed load, never worth going back to.
    static bool isFailedTry(const QUrl &url);

Q_SIGNALS:
    // Load this plain address instead: its secure form failed.
    void fallBack(const QUrl &plain);
    // The secure form has not finished loading in time: it may have answered already and be
    // loading the rest of its page, which the page alone can tell (answered() or giveUp()).
    void overdue();

private:
    QUrl m_plain; // the plain address of the try under way
    QUrl m_secure;
    QTimer m_clock;
};

} // namespace engine
