#pragma once

#include "engine/HttpsFirst.h"

#include <QWebEngineCertificateError>
#include <QWebEnginePage>

#include <utility>

class QWebEngineLoadingInfo;

namespace engine {

// The browser control's page: asks for secure forms first, answers certificate errors and
// a renderer's end with the program's own pages, and says how the page shown was reached.
class BrowserPage : public QWebEnginePage
{
    Q_OBJECT
public:
    BrowserPage(QWebEngineProfile *profile, QObject *parent);

    // The address to load for an address the program opens: its secure form first, when the
    // switch is on and the host may have one.
    QUrl secureFirst(const QUrl &url);

    // The connection of the page shown, as WebBrowserControl::ConnectionChange reports it.
    int connectionState() const { return m_state; }
    QString connectionDetail() const { return m_detail; }
    // What the status bar says while one of the program's own pages is shown ("" otherwise).
    QString notice() const { return m_local ? m_notice : QString(); }

    // The addresses the last top-level navigation went through, redirects in order; the
    // last is where it ended (or a download it turned into).
    const QList<QUrl> &navigationChain() const { return m_chain; }

Q_SIGNALS:
    void connectionChanged(int state, const QString &detail);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;

private:
    void onLoadingChanged(const QWebEngineLoadingInfo &info);
    void onCertificateError(const QWebEngineCertificateError &error);
    void onRenderProcessTerminated(RenderProcessTerminationStatus status);
    void showLocal(const QString &html, const QUrl &address, const QString &status);
    void updateConnection(const QUrl &url);
    void askIssuer(const QUrl &url);
    void checkOverdue();
    void stepOver(const QUrl &failed);
    QString command(const char *name) const;

    HttpsFirst m_httpsFirst;
    int m_state = 0;
    QString m_detail;
    QString m_notice;
    int m_shownIndex = 0; // the history's item of the page shown, once its load ended
    std::pair<QUrl, QUrl> m_refusedTry; // the plain and secure forms of a try the program refused
    int m_serial = 0; // counts the top-level navigations the page let through
    bool m_local = false; // the page shown is one of the program's own
    QUrl m_crashed; // the address of a page whose renderer ended
    QUrl m_warned; // the address of the certificate warning shown
    QList<QWebEngineCertificateError> m_pending; // errors whose warning waits for the load's end
    QList<QUrl> m_chain;
};

} // namespace engine
