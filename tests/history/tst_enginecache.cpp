#include "TestEnv.h"
#include "history/basWinInet.h"
#include "platform/UrlCache.h"
#include "platform/WebBrowser.h"

#include <QListWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

// The one check against the real browser engine: pages it loads from a local server
// appear in the walk, and the killer's delete takes them out of its cache folder.
class TestEngineCache : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pagesTheEngineCachedAreListedAndDeleted();
};

namespace {

// Answers every request with a small cacheable page named after its path.
void serve(QTcpServer &server)
{
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&server] {
        while (QTcpSocket *s = server.nextPendingConnection()) {
            QObject::connect(s, &QTcpSocket::readyRead, s, [s] {
                const QByteArray request = s->readAll();
                const QByteArray path = request.split(' ').value(1);
                const QByteArray body = "<html><head><title>" + path + "</title></head><body>"
                    + path + "</body></html>";
                s->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"
                         "Cache-Control: max-age=3600\r\nContent-Length: "
                         + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n"
                         + body);
                s->disconnectFromHost();
            });
            QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        }
    });
}

QStringList walk()
{
    QListWidget list;
    basWinInet::ListUrlCache(&list);
    QStringList urls;
    for (int i = 0; i < list.count(); ++i)
        urls.append(list.item(i)->text());
    return urls;
}

} // namespace

void TestEngineCache::pagesTheEngineCachedAreListedAndDeleted()
{
    TestEnv env;
    platform::SetWebBrowserFactory({});
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    serve(server);
    const QString base = QStringLiteral("http://127.0.0.1:%1/").arg(server.serverPort());
    const QStringList pages {base + QStringLiteral("one.html"), base + QStringLiteral("two.html"),
                             base + QStringLiteral("three.html")};

    std::unique_ptr<platform::WebBrowserControl> browser(platform::CreateWebBrowser(nullptr));
    browser->resize(400, 300);
    browser->show();
    for (const QString &page : pages) {
        QSignalSpy done(browser.get(), &platform::WebBrowserControl::DownloadComplete);
        browser->Navigate(page);
        QVERIFY(done.wait(20000));
    }
    // The engine writes its entry files a moment after the load.
    auto allListed = [&] {
        const QStringList urls = walk();
        for (const QString &page : pages)
            if (!urls.contains(page))
                return false;
        return true;
    };
    QTRY_VERIFY_WITH_TIMEOUT(allListed(), 20000);

    for (const QString &page : pages)
        QVERIFY(platform::DeleteUrlCacheEntryA(page.toLatin1().constData()));
    const QStringList after = walk();
    for (const QString &page : pages)
        QVERIFY(!after.contains(page));
}

QTEST_MAIN(TestEngineCache)
#include "tst_enginecache.moc"
