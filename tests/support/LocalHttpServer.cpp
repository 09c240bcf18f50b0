#include "LocalHttpServer.h"

#include <QTcpSocket>
#include <QTimer>

#include <sys/socket.h>

LocalHttpServer::LocalHttpServer()
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, socket,
                    [this, socket, buffer = QByteArray()]() mutable {
                        buffer += socket->readAll();
                        if (buffer.contains("\r\n\r\n"))
                            answer(socket, std::exchange(buffer, {}));
                    });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

void LocalHttpServer::addPage(const QString &path, const QByteArray &body)
{
    m_routes.insert(path, {"200 OK", "text/html; charset=utf-8", body});
}

void LocalHttpServer::addRedirect(const QString &path, const QString &target)
{
    m_routes.insert(path, {"302 Found", "text/html", "moved", url(target).toUtf8()});
}

void LocalHttpServer::addDownload(const QString &path, const QString &file, const Pacing &pacing)
{
    m_routes.insert(path, {"200 OK", "application/octet-stream", {}, {}, file, pacing});
}

QString LocalHttpServer::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
}

void LocalHttpServer::answer(QTcpSocket *socket, const QByteArray &request)
{
    const QList<QByteArray> parts = request.left(request.indexOf("\r\n")).split(' ');
    const QString asked = parts.size() > 1 ? QString::fromLatin1(parts[1]) : QStringLiteral("/");
    m_requests.append(asked);
    QString host;
    for (const QByteArray &line : request.split('\n'))
        if (line.toLower().startsWith("host:"))
            host = QString::fromLatin1(line.mid(5).trimmed()).section(QLatin1Char(':'), 0, 0);
    m_hostRequests.append(host + asked);
    const QString path = asked.section(QLatin1Char('?'), 0, 0);
    const Response r = m_routes.value(
        path, {"404 Not Found", "text/html", "<html><head><title>Not Found</title></head></html>"});
    auto *file = new QFile(r.file, socket);
    if (!r.file.isEmpty() && !file->open(QIODevice::ReadOnly))
        return socket->abort();

    QByteArray head = "HTTP/1.0 " + r.status + "\r\nContent-Type: " + r.contentType
        + "\r\nContent-Length: " + QByteArray::number(file->isOpen() ? file->size() : r.body.size())
        + "\r\n";
    if (!file->isOpen())
        head += "Cache-Control: max-age=3600\r\n";
    head += m_headers.value(path);
    if (!r.location.isEmpty())
        head += "Location: " + r.location + "\r\n";
    socket->write(head + "Connection: close\r\n\r\n" + r.body);
    if (!file->isOpen())
        return socket->disconnectFromHost();
    // The next piece goes unless the client is behind (a paused download stops reading).
    const Pacing pacing = r.pacing;
    auto *timer = new QTimer(socket);
    const auto step = [=, this] {
        const bool dropping = pacing.dropAfter >= 0 && file->pos() >= pacing.dropAfter;
        if (socket->bytesToWrite() >= ((dropping || file->atEnd()) ? 1 : 4 * pacing.chunk))
            return;
        if (dropping && pacing.reset) {
            const linger now {1, 0};
            setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &now, sizeof now);
            socket->abort();
        } else if (dropping || file->atEnd()) {
            socket->disconnectFromHost();
        } else {
            const qint64 left
                = pacing.dropAfter < 0 ? pacing.chunk : pacing.dropAfter - file->pos();
            m_sent[path] += socket->write(file->read(std::min(pacing.chunk, left)));
            return;
        }
        timer->stop();
    };
    connect(timer, &QTimer::timeout, socket, step);
    if (pacing.pauseMs > 0)
        return timer->start(pacing.pauseMs);
    connect(socket, &QTcpSocket::bytesWritten, socket, step);
    step();
}
