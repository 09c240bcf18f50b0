#include "LocalHttpServer.h"

#include <QTcpSocket>

LocalHttpServer::LocalHttpServer()
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, &LocalHttpServer::onConnection);
}

void LocalHttpServer::addPage(const QString &path, const QByteArray &body,
                              const QByteArray &contentType)
{
    m_routes.insert(path, {200, contentType, body, {}});
}

void LocalHttpServer::addRedirect(const QString &path, const QString &target)
{
    const QString location = target.startsWith(QLatin1Char('/')) ? url(target) : target;
    m_routes.insert(path, {302, "text/html", "moved", location.toUtf8()});
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
        r = {404, "text/html", "<html><head><title>Not Found</title></head></html>", {}};

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
