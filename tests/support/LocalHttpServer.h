#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTcpServer>

// A small HTTP/1.0 server on 127.0.0.1, run inside the test's own event loop, serving the
// pages and redirects a test sets up and remembering every path it was asked for.
class LocalHttpServer : public QObject
{
    Q_OBJECT
public:
    LocalHttpServer();

    // Serves body at path ("/start.html") with the given content type.
    void addPage(const QString &path, const QByteArray &body,
                 const QByteArray &contentType = "text/html; charset=utf-8");
    // Answers path with a 302 to target (a path on this server or a full address).
    void addRedirect(const QString &path, const QString &target);

    quint16 port() const { return m_server.serverPort(); }
    QString url(const QString &path) const;
    QStringList requests() const { return m_requests; }

private:
    struct Response
    {
        int status = 200;
        QByteArray contentType;
        QByteArray body;
        QByteArray location;
    };
    void onConnection();
    void answer(QTcpSocket *socket, const QByteArray &request);

    QTcpServer m_server;
    QHash<QString, Response> m_routes;
    QStringList m_requests;
};
