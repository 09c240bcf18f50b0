#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QWebEngineUrlRequestInterceptor>

#include <atomic>
#include <memory>
#include <vector>

namespace guard {

class FilterEngine;

// Everything a request is decided by, made on the UI thread and never changed after: the
// interceptor reads the current one through an atomic pointer, so the engine's thread
// never waits for a lock the UI thread may hold.
struct GuardSnapshot
{
    std::shared_ptr<const FilterEngine> engine;
    // Per list of the index, in its order: the name the user knows it by, and whether a
    // site it names is one the user is warned about (the badware and malware lists).
    QStringList listNames;
    std::vector<bool> warns;
    QSet<QString> sitesOff; // hosts of pages where nothing is blocked or hidden
    QSet<QString> passedOnce; // addresses the user chose to visit despite a warning
};

// The profile's request interceptor: blocks sub-requests the lists name, stops top-level
// navigations to sites a document rule names (the browser window then shows a warning),
// and turns the warning page's two answers into signals. The signals may come from the
// engine's thread; receivers connect them queued.
class RequestGuard : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo &info) override;

    void setSnapshot(std::shared_ptr<const GuardSnapshot> snapshot) { m_snapshot.store(snapshot); }
    std::shared_ptr<const GuardSnapshot> snapshot() const { return m_snapshot.load(); }

    // The warning page's answers are addresses on this host, which no network can reach.
    static constexpr char kAnswerHost[] = "guard.scoutwell.invalid";

Q_SIGNALS:
    // A top-level navigation is under way to url (frames and sub-requests follow).
    void navigating(const QUrl &url);
    void frameRequested(const QUrl &url);
    void requestBlocked(const QUrl &url, const QUrl &page);
    void documentBlocked(const QUrl &url, const QString &listName, bool dangerous,
                         const QString &filter);
    // The warning page's link: path is "/continue/<token>" or "/back/<token>".
    void warningAnswered(const QString &path);

private:
    std::atomic<std::shared_ptr<const GuardSnapshot>> m_snapshot;
};

} // namespace guard
