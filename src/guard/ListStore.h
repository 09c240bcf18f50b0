#pragma once

#include "guard/GuardSettings.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

namespace guard {

class FilterEngine;
class RequestGuard;

// One filter list as the Guard window shows it.
struct GuardList
{
    enum Kind { Default, Added, UserFile };
    QString id; // "easylist", "url:<address>", "file:<name>"
    QString name;
    QString source; // the home address, or the file
    QString packaged; // the copy Debian's package installs, where there is one
    Kind kind = Added;
    bool warns = false; // a document rule of this list warns the user about the site
    bool enabled = true;

    int understood = -1;
    int skipped = -1;
    QDateTime updated; // when the text in use was published or fetched
    QString state;
    bool fetching = false;
};

// The filter lists: the four default subscriptions, the addresses the user added and the
// user's own files; where each one's text comes from (the cache, Debian's copy, a fetch),
// refreshing subscriptions in the background, and the compiled index, built or read off
// the UI thread and handed to the request interceptor when ready. Start-up never waits.
class ListStore : public QObject
{
    Q_OBJECT
public:
    static ListStore *instance();

    // Reads guard.ini and the list folders and starts the index in the background. Once.
    void start();
    bool started() const { return m_started; }

    static QString cacheFolder(); // $XDG_CACHE_HOME/ScoutwellV3/lists
    static QString userFolder(); // $XDG_DATA_HOME/ScoutwellV3/lists

    const QList<GuardList> &lists() const { return m_lists; }
    const GuardSettings &settings() const { return m_settings; }
    // What the index is doing, in words ("Ready: ...", "Building ...").
    QString indexState() const { return m_indexState; }
    // A problem with guard.ini or the last change to it, for the Guard window.
    QString settingsProblem() const { return m_settingsProblem; }
    RequestGuard *interceptor() const { return m_interceptor; }

    void setEnabled(bool on);
    bool blockingOn(const QString &host) const;
    void setBlockingOn(const QString &host, bool on);
    void setListEnabled(int row, bool on);
    void passOnce(const QString &address);
    // Fetches every subscription now, whatever its age.
    void updateNow();
    // An address becomes a subscription; a file is copied into the user's list folder.
    bool addList(const QString &addressOrFile, QString *error);
    // Added subscriptions are dropped; a user's file is renamed to "<name>.removed" so that
    // nothing the user wrote is lost. The default lists can only be switched off.
    bool removeList(int row, QString *error);

    // How old a subscription may get before it is fetched again.
    static constexpr qint64 kRefreshSecs = 4 * 24 * 3600;

Q_SIGNALS:
    void listsChanged();
    void stateChanged();
    void enabledChanged(bool on);

private:
    ListStore();
    void readLists();
    QString textFile(const GuardList &list) const;
    void rebuild();
    void onBuilt(quint64 generation, std::shared_ptr<const FilterEngine> engine,
                 const QList<int> &rows, const QString &error, bool fromCache);
    void publish();
    void saveSettings();
    void checkAges();
    void fetch(int row);
    void fetched(const QString &id, QNetworkReply *reply);
    int rowOf(const QString &id) const;

    bool m_started = false;
    GuardSettings m_settings;
    QString m_settingsProblem;
    QList<GuardList> m_lists;
    QString m_indexState;
    std::shared_ptr<const FilterEngine> m_engine;
    QList<int> m_engineRows; // index list number -> row of m_lists
    QSet<QString> m_passedOnce;
    quint64 m_generation = 0;
    bool m_building = false;
    bool m_rebuildAgain = false;
    RequestGuard *m_interceptor;
    QNetworkAccessManager *m_network = nullptr;
    QTimer *m_refresh;
};

} // namespace guard
