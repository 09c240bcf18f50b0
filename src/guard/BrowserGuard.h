#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QUrl>

class Form1;
class QWebEnginePage;

namespace widgets {
class ClickLabel;
}

namespace guard {

// The guard's part of the browser window: the "N blocked" panel of its status bar, the
// style sheet that hides what the lists name (put into every frame as its document is
// created), and the warning page shown in place of a site a list warns about.
class BrowserGuard : public QObject
{
    Q_OBJECT
public:
    // Puts the guard into the browser window; the one call the window makes. With the
    // engine's browser control the lists start loading in the background.
    static void Attach(Form1 *window);
    static BrowserGuard *current();

    // The host of the page shown ("" for none), for "Blocking on this site".
    QString pageHost() const;
    int blockedCount() const { return m_blocked; }

    // The warning page for a site; continueUrl and backUrl are what its two links open.
    static QString WarningPage(const QUrl &url, const QString &listName, bool dangerous,
                               const QString &continueUrl, const QString &backUrl);

Q_SIGNALS:
    // Another page, or another request blocked on this one.
    void pageChanged();

private:
    BrowserGuard(Form1 *window, QWebEnginePage *page);
    void navigating(const QUrl &url);
    void frameRequested(const QUrl &url);
    void showBlocked();
    void updateHidingScript();
    void showWarning(const QUrl &url, const QString &listName, bool dangerous);
    void answered(const QString &path);
    void applyEnabled(bool on);

    QPointer<Form1> m_window;
    QPointer<QWebEnginePage> m_page;
    widgets::ClickLabel *m_panel;
    int m_blocked = 0;
    QString m_mainHost;
    QHash<QString, QString> m_css; // host -> style sheet, for the page and its frames
    // The site a warning stands for, by the secret its links carry.
    QString m_token;
    QUrl m_warned;
    QUrl m_shown; // the page shown when the last top-level navigation began
    QUrl m_backTo; // where the warning's "Go back" leads
};

} // namespace guard
