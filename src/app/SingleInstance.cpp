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
    const QByteArray lockPath = QFile::encodeName(folder + QStringLiteral("/ScoutwellV3.lock"));
    // Close-on-exec, or the engine's helper processes would keep the lock after a crash.
    m_lockFd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_lockFd < 0)
        return;
    if (::flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
        m_lockHeld = errno == EWOULDBLOCK;
        ::close(m_lockFd);
        m_lockFd = -1;
    }
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

int SingleInstance::handOver(const QString &address) const
{
    QLocalSocket socket;
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        socket.connectToServer(m_socketPath);
        if (socket.waitForConnected(1000))
            break;
        if (clock.elapsed() > kAnswerMs) {
            std::fprintf(stderr, "scoutwell: Scoutwell is already running but does not answer\n");
            return 1;
        }
        QThread::msleep(50);
    }
    socket.write(address.toUtf8() + '\n');
    socket.waitForBytesWritten(1000);
    // The running program answers once it has taken the address.
    while (!socket.canReadLine() && socket.waitForReadyRead(kAnswerMs)) { }
    if (!socket.canReadLine()) {
        std::fprintf(stderr, "scoutwell: Scoutwell is already running but did not take %s\n",
                     qPrintable(address));
        return 1;
    }
    return 0;
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
