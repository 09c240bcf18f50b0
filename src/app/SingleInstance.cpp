#include "app/SingleInstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace app {

namespace {

// How long a later start waits for the running program to answer: it may itself be
// starting and not listen yet.
constexpr int kAnswerMs = 8000;

} // namespace

SingleInstance::SingleInstance()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        return;
    m_socketPath = folder + QStringLiteral("/ScoutwellV3.socket");
    m_lockPath = QFile::encodeName(folder + QStringLiteral("/ScoutwellV3.lock"));
    takeLock();
}

SingleInstance::~SingleInstance()
{
    stop();
}

bool SingleInstance::takeLock()
{
    // Close-on-exec, or the engine's helper processes would keep the lock after a crash.
    m_lockFd = ::open(m_lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_lockFd < 0)
        return false;
    if (::flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
        m_lockHeld = errno == EWOULDBLOCK;
        ::close(m_lockFd);
        m_lockFd = -1;
        return false;
    }
    m_lockHeld = false;
    return true;
}

void SingleInstance::stop()
{
    if (m_server) {
        // close() also removes the socket file, so a later start does not knock in vain.
        m_server->close();
        delete m_server;
        m_server = nullptr;
    }
    if (m_lockFd >= 0) {
        ::close(m_lockFd);
        m_lockFd = -1;
    }
}

int SingleInstance::handOver(const QString &address)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        QLocalSocket socket;
        socket.connectToServer(m_socketPath);
        if (socket.waitForConnected(1000)) {
            socket.write(address.toUtf8() + '\n');
            socket.waitForBytesWritten(1000);
            // The running program answers once it has taken the address.
            while (!socket.canReadLine() && socket.waitForReadyRead(kAnswerMs)) { }
            if (socket.canReadLine())
                return 0;
        }
        // Nobody listens, or nobody answered: the running program may be ending (it lets go
        // of the lock before the engine shuts down) or may have failed to listen (it lets go
        // of it then too). A free lock makes this start the first; a held one means the
        // running program is still starting and will listen soon.
        if (takeLock())
            return kStartHere;
        if (clock.elapsed() > kAnswerMs) {
            std::fprintf(stderr, "scoutwell: Scoutwell is already running but does not answer\n");
            return 1;
        }
        QThread::msleep(50);
    }
}

void SingleInstance::listen(std::function<void(const QString &)> onAddress)
{
    if (m_lockFd < 0)
        return;
    m_onAddress = std::move(onAddress);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // Holding the lock means a socket file left here is a crashed run's.
    QLocalServer::removeServer(m_socketPath);
    if (!m_server->listen(m_socketPath)) {
        std::fprintf(stderr, "scoutwell: later starts cannot reach this one (%s)\n",
                     qPrintable(m_server->errorString()));
        // Keeping the lock would make every later start wait for an answer that cannot
        // come and then fail; without it they run on their own.
        stop();
        return;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine())
                    return;
                const QString address = QString::fromUtf8(socket->readLine()).chopped(1);
                socket->write("ok\n");
                socket->disconnectFromServer();
                m_onAddress(address);
            });
        }
    });
}

} // namespace app
