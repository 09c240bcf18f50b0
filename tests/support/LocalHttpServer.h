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

    // How a download's body is sent: `chunk` bytes at a time, every `pauseMs` (0: as fast as
    // the client reads), and the connection dropped after `dropAfter` bytes (-1: never):
    // reset, or closed as if the file ended there.
    struct Pacing
    {
        qint64 chunk = 1 << 20;
        int pauseMs = 0;
        qint64 dropAfter = -1;
        bool reset = true;
    };
    // Serves the file at `file` as a download at path, read from the disk as it is sent.
    void addDownload(const QString &path, const QString &file, const Pacing &pacing);
    // Body bytes sent so far for path, over every request of it.
    qint64 sentBytes(const QString &path) const { return m_sent.value(path); }

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
        QString file; // a download, sent from the disk
        Pacing pacing;
    };
    static Response response(int status, const QByteArray &contentType, const QByteArray &body,
                             const QByteArray &location = {});
    void onConnection();
    void answer(QTcpSocket *socket, const QByteArray &request);
    void sendFile(QTcpSocket *socket, const QString &path, const Response &r);

    QTcpServer m_server;
    QHash<QString, Response> m_routes;
    QStringList m_requests;
    QHash<QString, qint64> m_sent;
};
