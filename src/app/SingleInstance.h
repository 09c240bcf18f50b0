#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;

namespace app {

// One program per user: the browser engine's profile cannot be shared by two programs. The
// first start holds a lock in the user's runtime folder ($XDG_RUNTIME_DIR) and listens on a
// local socket beside it; a later start hands its address over and ends. The kernel drops
// the lock with the process, so a crashed run never blocks the next start.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    // Takes the lock when it is free. Cheap: no display, no application object needed.
    SingleInstance();
    ~SingleInstance() override;

    // True when no other program of this user runs (or the runtime folder cannot hold a
    // lock, in which case this program runs on its own).
    bool isFirst() const { return m_lockFd >= 0 || !m_lockHeld; }

    // For a later start: gives the address (may be empty) to the running program and
    // returns the exit code of this start: 0 once the running program has it. A running
    // program that gives no answer may be ending: the lock is tried once more, and when this
    // start gets it the result is kStartHere and this start goes on as the first.
    static constexpr int kStartHere = -1;
    int handOver(const QString &address);

    // For the first start, once the application object exists: every later start's
    // address (empty when it gave none) reaches onAddress.
    void listen(std::function<void(const QString &)> onAddress);

    // Stops listening and gives up the lock, before the browser engine shuts down: a start
    // in that moment finds the lock free and starts itself instead of waiting for an
    // answer that never comes.
    void stop();

private:
    // Takes the lock when it is free; sets m_lockHeld when another process holds it.
    bool takeLock();

    QString m_socketPath;
    QByteArray m_lockPath;
    int m_lockFd = -1;
    // Another process holds the lock.
    bool m_lockHeld = false;
    QLocalServer *m_server = nullptr;
    std::function<void(const QString &)> m_onAddress;
};

} // namespace app
