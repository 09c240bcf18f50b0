#include "LocalHttpServer.h"
#include "TestEnv.h"
#include "history/basWinInet.h"
#include "platform/UrlCache.h"
#include "platform/WebBrowser.h"

#include <QListWidget>
#include <QtTest>

// The one check against the real browser engine: pages it loaded from a local server are
// listed by the walk, and deleting them takes them out of its cache.
class TestEngineCache : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pagesTheEngineCachedAreListedAndDeleted();
};

void TestEngineCache::pagesTheEngineCachedAreListedAndDeleted()
{
    TestEnv env;
    platform::SetWebBrowserFactory({});
    LocalHttpServer server;
    QStringList pages;
    for (const char *name : {"/one.html", "/two.html", "/three.html"}) {
        server.addPage(QLatin1String(name), QByteArray("<html><body>") + name + "</body></html>");
        pages.append(server.url(QLatin1String(name)));
    }
    std::unique_ptr<platform::WebBrowserControl> browser(platform::CreateWebBrowser(nullptr));
    browser->show();
    for (const QString &page : pages) {
        QSignalSpy done(browser.get(), &platform::WebBrowserControl::DownloadComplete);
        browser->Navigate(page);
        QVERIFY(done.wait(20000));
    }
    auto listed = [] {
        QListWidget list;
        basWinInet::ListUrlCache(&list);
        QStringList urls;
        for (int i = 0; i < list.count(); ++i)
            urls.append(list.item(i)->text());
        return urls;
    };
    // The engine writes its entry files a moment after each load.
    auto allListed = [&] {
        const QStringList urls = listed();
        return std::all_of(pages.begin(), pages.end(),
                           [&](const QString &p) { return urls.contains(p); });
    };
    QTRY_VERIFY_WITH_TIMEOUT(allListed(), 20000);
    for (const QString &page : pages)
        QVERIFY(platform::DeleteUrlCacheEntryA(page.toLatin1().constData()));
    for (const QString &url : listed())
        QVERIFY(!pages.contains(url));
}

QTEST_MAIN(TestEngineCache)
#include "tst_enginecache.moc"
