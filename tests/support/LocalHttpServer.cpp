#include "LocalHttpServer.h"

#include <QFile>
#include <QFileInfo>
#include <QTcpSocket>
#include <QTimer>

#include <sys/socket.h>

LocalHttpServer::Response LocalHttpServer::response(int status, const QByteArray &contentType,
                                                    const QByteArray &body,
                                                    const QByteArray &location)
{
    Response r;
    r.status = status;
    r.contentType = contentType;
    r.body = body;
    r.location = location;
    return r;
}

LocalHttpServer::LocalHttpServer()
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, &LocalHttpServer::onConnection);
}

void LocalHttpServer::addPage(const QString &path, const QByteArray &body,
                              const QByteArray &contentType)
{
    m_routes.insert(path, response(200, contentType, body));
}

void LocalHttpServer::addRedirect(const QString &path, const QString &target)
{
    const QString location = target.startsWith(QLatin1Char('/')) ? url(target) : target;
    m_routes.insert(path, response(302, "text/html", "moved", location.toUtf8()));
}

void LocalHttpServer::addDownload(const QString &path, const QString &file, const Pacing &pacing)
{
    Response r = response(200, "application/octet-stream", {});
    r.file = file;
    r.pacing = pacing;
    m_routes.insert(path, r);
}

QString LocalHttpServer::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
}

void LocalHttpServer::onConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        auto *buffer = new QByteArray;
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
            buffer->append(socket->readAll());
            if (buffer->contains("\r\n\r\n")) {
                answer(socket, *buffer);
                buffer->clear();
            }
        });
        connect(socket, &QTcpSocket::disconnected, socket, [socket, buffer] {
            delete buffer;
            socket->deleteLater();
        });
    }
}

void LocalHttpServer::answer(QTcpSocket *socket, const QByteArray &request)
{
    const QList<QByteArray> parts = request.left(request.indexOf("\r\n")).split(' ');
    QString path = parts.size() > 1 ? QString::fromLatin1(parts[1]) : QStringLiteral("/");
    m_requests.append(path);
    path = path.section(QLatin1Char('?'), 0, 0);

    Response r;
    if (m_routes.contains(path))
        r = m_routes.value(path);
    else
        r = response(404, "text/html", "<html><head><title>Not Found</title></head></html>");

    if (!r.file.isEmpty())
        return sendFile(socket, path, r);

    const char *reason = r.status == 200 ? "OK" : r.status == 302 ? "Found" : "Not Found";
    QByteArray head = "HTTP/1.0 " + QByteArray::number(r.status) + ' ' + reason + "\r\n";
    head += "Content-Type: " + r.contentType + "\r\n";
    head += "Content-Length: " + QByteArray::number(r.body.size()) + "\r\n";
    head += "Cache-Control: max-age=3600\r\n";
    if (!r.location.isEmpty())
        head += "Location: " + r.location + "\r\n";
    head += "Connection: close\r\n\r\n";
    socket->write(head + r.body);
    socket->disconnectFromHost();
}

void LocalHttpServer::sendFile(QTcpSocket *socket, const QString &path, const Response &r)
{
    auto *file = new QFile(r.file, socket);
    if (!file->open(QIODevice::ReadOnly)) {
        socket->abort();
        return;
    }
    socket->write("HTTP/1.0 200 OK\r\nContent-Type: " + r.contentType + "\r\nContent-Length: "
                  + QByteArray::number(file->size()) + "\r\nConnection: close\r\n\r\n");
    const Pacing pacing = r.pacing;
    auto *sent = new qint64(0);
    connect(socket, &QObject::destroyed, [sent] { delete sent; });
    // Sends the next piece unless the client is behind (a paused download stops reading);
    // false once there is nothing more to send.
    const auto step = [this, socket, file, path, pacing, sent]() -> bool {
        const bool dropping = pacing.dropAfter >= 0 && *sent >= pacing.dropAfter;
        if (dropping || file->atEnd()) {
            if (socket->bytesToWrite() > 0)
                return true;
            if (dropping && pacing.reset) {
                const linger now {1, 0};
                setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &now,
                           sizeof now);
                socket->abort();
            } else {
                socket->disconnectFromHost();
            }
            return false;
        }
        if (socket->bytesToWrite() >= 4 * pacing.chunk)
            return true;
        qint64 n = pacing.chunk;
        if (pacing.dropAfter >= 0)
            n = std::min(n, pacing.dropAfter - *sent);
        const QByteArray piece = file->read(n);
        socket->write(piece);
        *sent += piece.size();
        m_sent[path] += piece.size();
        return true;
    };
    if (pacing.pauseMs > 0) {
        auto *timer = new QTimer(socket);
        connect(timer, &QTimer::timeout, socket, [timer, step] {
            if (!step())
                timer->stop();
        });
        timer->start(pacing.pauseMs);
    } else {
        connect(socket, &QTcpSocket::bytesWritten, socket, [step] { step(); });
        step();
    }
}
