#pragma once

#include <QFile>
#include <QHash>
#include <QStringList>
#include <QTcpServer>

// A small HTTP/1.0 server on 127.0.0.1, run inside the test's own event loop, serving the
// pages, redirects and files a test sets up and remembering every path it was asked for.
class LocalHttpServer : public QObject
{
    Q_OBJECT
public:
    LocalHttpServer();

    void addPage(const QString &path, const QByteArray &body);
    // `target` is a path on this server.
    void addRedirect(const QString &path, const QString &target);

    // A download's body goes `chunk` bytes every `pauseMs` (0: as fast as the client reads),
    // and after `dropAfter` bytes (-1: never) the connection is reset, or closed as if the
    // file ended there.
    struct Pacing
    {
        qint64 chunk = 1 << 20;
        int pauseMs = 0;
        qint64 dropAfter = -1;
        bool reset = true;
    };
    // The file is read from the disk as it is sent.
    void addDownload(const QString &path, const QString &file, const Pacing &pacing);
    // One more header line ("Name: value") in the answers for path.
    void addHeader(const QString &path, const QByteArray &line)
    {
        m_headers[path] += line + "\r\n";
    }
    // Body bytes sent so far for path, over every request of it.
    qint64 sentBytes(const QString &path) const { return m_sent.value(path); }

    QString url(const QString &path) const;
    QStringList requests() const { return m_requests; }
    // Every request as "host/path?query", the host as the client named it, without its port:
    // many host names reach this one server through the engine's host resolver rules.
    QStringList hostRequests() const { return m_hostRequests; }
    quint16 port() const { return m_server.serverPort(); }

private:
    struct Response
    {
        QByteArray status {}, contentType {}, body {}, location {};
        QString file {};
        Pacing pacing {};
    };
    void answer(QTcpSocket *socket, const QByteArray &request);

    QTcpServer m_server;
    QHash<QString, Response> m_routes;
    QStringList m_requests;
    QStringList m_hostRequests;
    QHash<QString, qint64> m_sent;
    QHash<QString, QByteArray> m_headers;
};
