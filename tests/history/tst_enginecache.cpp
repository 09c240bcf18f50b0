#include "CacheFiles.h"
#include "LocalHttpServer.h"
#include "TestEnv.h"
#include "platform/UrlCache.h"
#include "platform/WebBrowser.h"

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
    std::unique_ptr<platform::WebBrowserControl> browser(platform::CreateWebBrowser(nullptr));
    browser->show();
    QStringList pages;
    for (const QString name : {"/one.html", "/two.html", "/three.html"}) {
        server.addPage(name, "<html><body>" + name.toLatin1() + "</body></html>");
        pages << server.url(name);
        QSignalSpy done(browser.get(), &platform::WebBrowserControl::DownloadComplete);
        browser->Navigate(pages.last());
        QVERIFY(done.wait(20000));
    }
    // The engine writes its entry files a moment after each load.
    const auto listedPages = [&] {
        const QStringList urls = cachefiles::walk();
        return std::count_if(pages.begin(), pages.end(), [&](auto &p) { return urls.contains(p); });
    };
    QTRY_COMPARE_WITH_TIMEOUT(listedPages(), 3, 20000);
    for (const QString &page : pages)
        QVERIFY(platform::DeleteUrlCacheEntryA(page.toLatin1().constData()));
    QCOMPARE(listedPages(), 0);
}

QTEST_MAIN(TestEngineCache)
#include "tst_enginecache.moc"
