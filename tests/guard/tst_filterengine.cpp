// The filter engine against the filter syntax's documented behaviour: one table of filters and
// requests, the element-hiding style sheet, the compiled index of Debian's lists through a
// round trip, and damaged index bytes.

#include "guard/FilterEngine.h"

#include <QFile>
#include <QtTest>

using namespace guard;

namespace {

struct Row
{
    const char *filters; // lines separated by \n
    const char *url;
    const char *page;
    const char *type;
    const char *expected; // block, pass or allow
};

// clang-format off
const Row Rows[] = {
    // Address anchors and separators
    {"||ads.example.com^", "https://ads.example.com/x.js", "https://news.org/", "script", "block"},
    {"||ads.example.com^", "https://sub.ads.example.com/x.js", "https://news.org/", "script", "block"},
    {"||ads.example.com^", "https://badads.example.com/x.js", "https://news.org/", "script", "pass"},
    {"||ads.example.com^", "https://ads.example.com.evil.org/", "https://news.org/", "script", "pass"},
    {"||ads.example.com^", "https://ads.example.com:8080/a", "https://news.org/", "image", "block"},
    {"||ads.example.com^", "https://ads.example.com", "https://news.org/", "image", "block"},
    {"||ads.example.com^", "https://user@ads.example.com/", "https://news.org/", "image", "block"},
    {"||example.com/ads/", "https://www.example.com/ads/x.png", "", "image", "block"},
    {"||example.com/ads/", "https://other.org/example.com/ads/x.png", "", "image", "pass"},
    {"|https://ads.", "https://ads.foo.org/", "", "image", "block"},
    {"|https://ads.", "http://x.org/?u=https://ads.foo.org/", "", "image", "pass"},
    {"swf|", "https://a.org/movie.swf", "", "object", "block"},
    {"swf|", "https://a.org/movie.swf?x=1", "", "object", "pass"},
    {"|https://a.org/x|", "https://a.org/x", "", "other", "block"},
    {"|https://a.org/x|", "https://a.org/xy", "", "other", "pass"},
    {"/ad*banner.", "https://a.org/ad/big/banner.png", "", "image", "block"},
    {"/ad*banner.", "https://a.org/banner.png?/ad", "", "image", "pass"},
    {"^ad^", "https://a.org/ad/x", "", "image", "block"},
    {"^ad^", "https://a.org/bad/x", "", "image", "pass"},
    {"/ads^", "https://a.org/ads?x=1", "", "image", "block"},
    {"/ads^", "https://a.org/ads", "", "image", "block"},
    {"/ads^", "https://a.org/ads-x", "", "image", "pass"},
    {"/ads^", "https://a.org/ads.js", "", "image", "pass"},
    {"-banner-ad-", "https://a.org/img/top-banner-ad-1.gif", "", "image", "block"},
    {"&adtype=", "https://a.org/x?a=1&adtype=2", "", "xhr", "block"},
    {"*/promo/*", "https://a.org/x/promo/1", "", "image", "block"},
    {"/BANNER/", "https://a.org/banner/1", "", "image", "block"},
    {"/BANNER/$match-case", "https://a.org/banner/1", "", "image", "pass"},
    {"/BANNER/$match-case", "https://a.org/BANNER/1", "", "image", "block"},
    // Regular expressions
    {"/\\/ad[0-9]+\\.js/", "https://a.org/ad123.js", "", "script", "block"},
    {"/\\/ad[0-9]+\\.js/", "https://a.org/adx.js", "", "script", "pass"},
    {"/ADVERT/", "https://a.org/advert", "", "script", "block"},
    {"/ADVERT/$match-case", "https://a.org/advert", "", "script", "pass"},
    {"/^https?:\\/\\/[a-z]{8,}\\.xyz\\//$script,third-party", "https://abcdefghij.xyz/a.js", "https://news.org/", "script", "block"},
    {"/^https?:\\/\\/[a-z]{8,}\\.xyz\\//$script,third-party", "https://abcdefghij.xyz/a.png", "https://news.org/", "image", "pass"},
    {"/^https?:\\/\\/[a-z]{8,}\\.xyz\\//$script,third-party", "https://abc.xyz/a.js", "https://news.org/", "script", "pass"},
    {"/(https?:\\/\\/)104\\.154\\..{20,}/", "https://104.154.1.1/aaaaaaaaaaaaaaaaaaaaaaa", "", "script", "block"},
    {"/(https?:\\/\\/)104\\.154\\..{20,}/", "https://104.154.1.1/a", "", "script", "pass"},
    // Bare hosts and hosts-file lines mean ||host^
    {"tracker.example", "https://tracker.example/p", "", "image", "block"},
    {"tracker.example", "https://cdn.tracker.example/p", "", "image", "block"},
    {"tracker.example", "https://nottracker.example/p", "", "image", "pass"},
    {"tracker.example", "https://a.org/?tracker.example", "", "image", "pass"},
    {"1.2.3.4", "http://1.2.3.4/x", "", "image", "block"},
    {"1.2.3.4", "http://11.2.3.4/x", "", "image", "pass"},
    {"0.0.0.0 ads.tracker.org", "https://ads.tracker.org/", "", "script", "block"},
    // Exceptions and precedence
    {"/banner/\n@@/banner/$image", "https://a.org/banner/1.png", "", "image", "allow"},
    {"/banner/\n@@/banner/$image", "https://a.org/banner/1.js", "", "script", "block"},
    {"||ads.org^\n@@||ads.org/ok/", "https://ads.org/ok/x", "", "script", "allow"},
    {"||ads.org^\n@@||ads.org/ok/", "https://ads.org/no/x", "", "script", "block"},
    {"||ads.org^$important\n@@||ads.org^", "https://ads.org/x", "", "script", "block"},
    {"||ads.org^\n@@||ads.org^\n||ads.org/x^$important", "https://ads.org/x", "", "script", "block"},
    {"||ads.org^\n@@||ads.org^$domain=news.org", "https://ads.org/x", "https://news.org/", "script", "allow"},
    {"||ads.org^\n@@||ads.org^$domain=news.org", "https://ads.org/x", "https://other.org/", "script", "block"},
    {"||ads.org^\n@@||news.org^$document", "https://ads.org/x", "https://news.org/a", "script", "allow"},
    {"||ads.org^\n@@||news.org^$document", "https://ads.org/x", "https://other.org/a", "script", "block"},
    {"@@||ads.org^", "https://ads.org/x", "", "script", "pass"},
    {"||ads.org^\n@@||ads.org^$generichide", "https://ads.org/x", "", "script", "block"},
    {"||ads.org^\n@@||ads.org^", "https://ads.org/", "", "document", "block"},
    {"||ads.org^\n@@||ads.org^$document", "https://ads.org/", "", "document", "allow"},
    // Party, by registrable domain
    {"||cdn.org^$third-party", "https://cdn.org/a.js", "https://cdn.org/", "script", "pass"},
    {"||cdn.org^$third-party", "https://cdn.org/a.js", "https://news.org/", "script", "block"},
    {"||img.cdn.org^$third-party", "https://img.cdn.org/a.png", "https://www.cdn.org/", "image", "pass"},
    {"||a.example.co.uk^$third-party", "https://a.example.co.uk/x", "https://b.example.co.uk/", "image", "pass"},
    {"||a.example.co.uk^$third-party", "https://a.example.co.uk/x", "https://other.co.uk/", "image", "block"},
    {"||cdn.org^$~third-party", "https://cdn.org/a.js", "https://www.cdn.org/", "script", "block"},
    {"||cdn.org^$~third-party", "https://cdn.org/a.js", "https://news.org/", "script", "pass"},
    {"||cdn.org^$first-party", "https://cdn.org/a.js", "https://cdn.org/", "script", "block"},
    {"||cdn.org^$first-party", "https://cdn.org/a.js", "https://news.org/", "script", "pass"},
    {"||cdn.org^$1p", "https://cdn.org/a.js", "https://cdn.org/", "script", "block"},
    {"||cdn.org^$3p", "https://cdn.org/a.js", "https://cdn.org/", "script", "pass"},
    {"||cdn.org^$~first-party", "https://cdn.org/a.js", "https://news.org/", "script", "block"},
    {"||t.org^$third-party", "https://t.org/p", "", "image", "block"},
    {"||t.org^$third-party", "https://t.org/p", "about:blank", "image", "block"},
    {"||t.org^$~third-party", "https://t.org/p", "https://", "image", "pass"},
    {"||t.org^$1p", "https://t.org/p", "about:blank", "image", "pass"},
    // domain= and to=
    {"||ads.org^$domain=news.org", "https://ads.org/x", "https://news.org/", "image", "block"},
    {"||ads.org^$domain=news.org", "https://ads.org/x", "https://www.news.org/", "image", "block"},
    {"||ads.org^$domain=news.org", "https://ads.org/x", "https://othernews.org/", "image", "pass"},
    {"||ads.org^$domain=news.org", "https://ads.org/x", "", "image", "pass"},
    {"||ads.org^$domain=~news.org", "https://ads.org/x", "https://news.org/", "image", "pass"},
    {"||ads.org^$domain=~news.org", "https://ads.org/x", "https://other.org/", "image", "block"},
    {"||ads.org^$domain=~news.org", "https://ads.org/x", "about:blank", "image", "block"},
    {"||ads.org^$domain=news.org|~sport.news.org", "https://ads.org/x", "https://sport.news.org/", "image", "pass"},
    {"||ads.org^$domain=news.org|~sport.news.org", "https://ads.org/x", "https://www.news.org/", "image", "block"},
    {"||ads.org^$domain=a.org|b.org", "https://ads.org/x", "https://b.org/", "image", "block"},
    {"||ads.org^$from=a.org", "https://ads.org/x", "https://a.org/", "image", "block"},
    {"*$script,domain=news.org", "https://any.net/x.js", "https://news.org/", "script", "block"},
    {"*$script,domain=news.org", "https://any.net/x.js", "https://new.org/", "script", "pass"},
    {"$script,domain=news.org", "https://any.net/x.js", "https://m.news.org/", "script", "block"},
    {"*$to=ads.org", "https://x.ads.org/a", "", "image", "block"},
    {"*$to=ads.org", "https://ads.net/a", "", "image", "pass"},
    {"/track$to=~safe.org", "https://safe.org/track", "", "image", "pass"},
    {"/track$to=~safe.org", "https://a.org/track", "", "image", "block"},
    // Resource types
    {"||a.org^$script", "https://a.org/x", "", "script", "block"},
    {"||a.org^$script", "https://a.org/x", "", "image", "pass"},
    {"||a.org^$~script", "https://a.org/x", "", "image", "block"},
    {"||a.org^$~script", "https://a.org/x", "", "script", "pass"},
    {"||a.org^$~script", "https://a.org/", "", "document", "pass"},
    {"||a.org^", "https://a.org/", "", "document", "block"},
    {"||a.org^$script", "https://a.org/", "", "document", "pass"},
    {"||a.org/ads^", "https://a.org/ads", "", "document", "pass"},
    {"@@||a.org^", "https://a.org/", "", "document", "pass"},
    {"tracker.example", "https://www.tracker.example/", "", "document", "block"},
    {"0.0.0.0 ads.tracker.org", "https://ads.tracker.org/", "", "document", "block"},
    {"||a.org^", "https://a.org/", "https://b.org/", "popup", "pass"},
    {"||a.org^$doc", "https://a.org/", "", "document", "block"},
    {"||a.org^$doc", "https://a.org/x.js", "", "script", "pass"},
    {"||a.org^$document", "https://www.a.org/", "", "document", "block"},
    {"||a.org^$all", "https://a.org/", "", "document", "block"},
    {"||a.org^$all", "https://a.org/", "https://b.org/", "popup", "block"},
    {"||a.org^$all", "https://a.org/x.js", "", "script", "block"},
    {"||a.org^$popup", "https://a.org/", "https://b.org/", "popup", "block"},
    {"||a.org^$popup", "https://a.org/x.js", "", "script", "pass"},
    {"||a.org^$xhr", "https://a.org/api", "", "fetch", "block"},
    {"||a.org^$xmlhttprequest", "https://a.org/api", "", "xhr", "block"},
    {"||a.org^$frame", "https://a.org/f", "", "subdocument", "block"},
    {"||a.org^$subdocument", "https://a.org/f", "", "frame", "block"},
    {"||a.org^$css", "https://a.org/s", "", "stylesheet", "block"},
    {"||a.org^$image,script", "https://a.org/s", "", "image", "block"},
    {"||a.org^$image,script", "https://a.org/s", "", "font", "pass"},
    {"||a.org^$font", "https://a.org/s", "", "font", "block"},
    {"||a.org^$media", "https://a.org/s", "", "media", "block"},
    {"||a.org^$object", "https://a.org/s", "", "object", "block"},
    {"||a.org^$ping", "https://a.org/s", "", "ping", "block"},
    {"||a.org^$other", "https://a.org/s", "", "other", "block"},
    {"||a.org^$websocket", "wss://a.org/socket", "", "websocket", "block"},
    {"||a.org^$image,~image", "https://a.org/s", "", "image", "pass"},
    // Filters with an option the engine does not know are dropped whole
    {"||a.org^$redirect=noop.js", "https://a.org/x.js", "", "script", "pass"},
    {"||a.org^$script,csp=script-src 'none'", "https://a.org/x.js", "", "script", "pass"},
    {"||a.org^$removeparam=utm", "https://a.org/x?utm=1", "", "script", "pass"},
    {"||a.org^$domain=google.*", "https://a.org/x", "https://google.de/", "script", "pass"},
    {"||a.org^\n@@||a.org^$redirect-rule", "https://a.org/x", "", "script", "block"},
    {"example.com##+js(noeval)\n||a.org^", "https://a.org/x", "", "script", "block"},
};
// clang-format on

QByteArray listFile(const char *name)
{
    static const char *dir = "/usr/share/chromium/extensions/ublock-origin/assets/";
    QFile f(QString::fromLatin1(dir) + QString::fromLatin1(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::unique_ptr<FilterEngine> engineFor(const QByteArray &filters)
{
    FilterCompiler compiler;
    compiler.addList(std::string_view(filters.constData(), std::size_t(filters.size())));
    std::string error;
    auto engine = FilterEngine::load(compiler.compile(), &error);
    if (!engine)
        qWarning("load: %s", error.c_str());
    return engine;
}

} // namespace

class tst_FilterEngine : public QObject
{
    Q_OBJECT
private slots:
    void conformance_data();
    void conformance();
    void hiding_data();
    void hiding();
    void damagedIndex_data();
    void damagedIndex();
    void debianListsRoundTrip();
};

void tst_FilterEngine::conformance_data()
{
    QTest::addColumn<QByteArray>("filters");
    QTest::addColumn<QByteArray>("url");
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QByteArray>("expected");
    int n = 0;
    for (const Row &r : Rows)
        QTest::addRow("%d %s | %s", ++n, QByteArray(r.filters).replace('\n', " + ").constData(),
                      r.url)
            << QByteArray(r.filters) << QByteArray(r.url) << QByteArray(r.page)
            << QByteArray(r.type) << QByteArray(r.expected);
    QVERIFY(n >= 80);
}

void tst_FilterEngine::conformance()
{
    QFETCH(QByteArray, filters);
    QFETCH(QByteArray, url);
    QFETCH(QByteArray, page);
    QFETCH(QByteArray, type);
    QFETCH(QByteArray, expected);
    auto engine = engineFor(filters);
    QVERIFY(engine);
    ResourceType t;
    QVERIFY(resourceTypeFromName(type.toStdString(), &t));
    Decision d = engine->match(Request {url.toStdString(), page.toStdString(), t});
    const char *kinds[] = {"pass", "block", "allow"};
    QCOMPARE(QByteArray(kinds[d.kind]), expected);
    if (d.kind != Decision::Pass) {
        QCOMPARE(d.list, 0);
        QVERIFY(filters.split('\n').contains(QByteArray::fromStdString(d.filter)));
    }
}

void tst_FilterEngine::hiding_data()
{
    QTest::addColumn<QByteArray>("filters");
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QStringList>("hidden");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("generic") << QByteArray("##.ad-box") << QByteArray("https://a.org/")
                             << QStringList {".ad-box"} << QStringList {};
    QTest::newRow("specific, own page")
        << QByteArray("a.org##.fake-download") << QByteArray("https://www.a.org/x")
        << QStringList {".fake-download"} << QStringList {};
    QTest::newRow("specific, other page")
        << QByteArray("a.org##.fake-download") << QByteArray("https://b.org/") << QStringList {}
        << QStringList {".fake-download"};
    QTest::newRow("bare host") << QByteArray("a.org##.fake\n##.ad") << QByteArray("a.org")
                               << QStringList {".fake", ".ad"} << QStringList {};
    QTest::newRow("not on ~domain")
        << QByteArray("~a.org##.ad\n##.banner") << QByteArray("https://a.org/")
        << QStringList {".banner"} << QStringList {".ad"};
    QTest::newRow("~domain elsewhere") << QByteArray("~a.org##.ad") << QByteArray("https://b.org/")
                                       << QStringList {".ad"} << QStringList {};
    QTest::newRow("subdomain excluded")
        << QByteArray("a.org,~shop.a.org##.ad") << QByteArray("https://shop.a.org/")
        << QStringList {} << QStringList {".ad"};
    QTest::newRow("exception for a domain")
        << QByteArray("##.ad\n##.banner\na.org#@#.ad") << QByteArray("https://a.org/")
        << QStringList {".banner"} << QStringList {".ad"};
    QTest::newRow("exception elsewhere")
        << QByteArray("##.ad\na.org#@#.ad") << QByteArray("https://b.org/") << QStringList {".ad"}
        << QStringList {};
    QTest::newRow("exception everywhere")
        << QByteArray("##.ad\nb.org##.ad\n#@#.ad\n##.x") << QByteArray("https://b.org/")
        << QStringList {".x"} << QStringList {".ad"};
    QTest::newRow("generichide") << QByteArray("##.ad\na.org##.own\n@@||a.org^$generichide")
                                 << QByteArray("https://a.org/") << QStringList {".own"}
                                 << QStringList {".ad"};
    QTest::newRow("elemhide") << QByteArray("##.ad\na.org##.own\n@@||a.org^$elemhide")
                              << QByteArray("https://a.org/") << QStringList {}
                              << QStringList {".ad", ".own"};
    QTest::newRow("procedural skipped")
        << QByteArray("a.org##.x:has-text(Ad)\na.org##.y:style(color:red)\na.org##.z")
        << QByteArray("https://a.org/") << QStringList {".z"}
        << QStringList {":has-text", ":style"};
    QTest::newRow("selector that would close the rule")
        << QByteArray("##.a{}\n##.b") << QByteArray("https://a.org/") << QStringList {".b"}
        << QStringList {".a{"};
}

void tst_FilterEngine::hiding()
{
    QFETCH(QByteArray, filters);
    QFETCH(QByteArray, page);
    QFETCH(QStringList, hidden);
    QFETCH(QStringList, shown);
    auto engine = engineFor(filters);
    QVERIFY(engine);
    QString css = QString::fromStdString(engine->hidingCss(page.toStdString()));
    // Every selector sits in a rule that hides it.
    for (const QString &s : hidden)
        QVERIFY2(
            QRegularExpression(QRegularExpression::escape(s) + "[^{]*\\{display:none!important\\}")
                .match(css)
                .hasMatch(),
            qPrintable(css));
    for (const QString &s : shown)
        QVERIFY2(!css.contains(s), qPrintable(css));
    if (hidden.isEmpty())
        QVERIFY(!css.contains("display"));
}

void tst_FilterEngine::damagedIndex_data()
{
    QTest::addColumn<int>("offset"); // byte to change; -1 cuts the last byte
    QTest::addColumn<int>("value");
    QTest::newRow("truncated") << -1 << 0;
    QTest::newRow("magic") << 0 << int('X');
    QTest::newRow("version") << 8 << 99;
    QTest::newRow("section count") << 12 << 3;
    QTest::newRow("total size") << 16 << 1;
    QTest::newRow("list count") << 24 << 0;
    QTest::newRow("first section offset") << 32 << 0xff;
    QTest::newRow("first section offset, high byte") << 39 << 0x7f;
    QTest::newRow("first section size") << 41 << 0x7f;
}

void tst_FilterEngine::damagedIndex()
{
    QFETCH(int, offset);
    QFETCH(int, value);
    FilterCompiler compiler;
    compiler.addList("||ads.org^\n@@||ads.org/ok^\n##.ad\n/ad[0-9]/\n");
    std::string bytes = compiler.compile();
    std::string error;
    QVERIFY(FilterEngine::load(bytes, &error));
    if (offset < 0)
        bytes.pop_back();
    else
        bytes[std::size_t(offset)] = char(value);
    QVERIFY(!FilterEngine::load(bytes, &error));
    QVERIFY(!error.empty());
    QVERIFY(!FilterEngine::load(std::string_view("SWGUARD"), &error));

    // Any byte of the body changed: a refusal or an engine that answers without a fault.
    std::string good = compiler.compile();
    for (std::size_t i = 200; i < good.size(); i += 7) {
        std::string damaged = good;
        damaged[i] = char(damaged[i] ^ 0x5a);
        if (auto engine = FilterEngine::load(damaged, &error)) {
            engine->match(Request {"https://ads.org/ad1", "https://a.org/", ResourceType::Script});
            engine->hidingCss("https://a.org/");
        }
    }
}

void tst_FilterEngine::debianListsRoundTrip()
{
    const char *names[]
        = {"thirdparties/easylist/easylist.txt", "thirdparties/easylist/easyprivacy.txt",
           "ublock/badware.min.txt", "thirdparties/urlhaus-filter/urlhaus-filter-online.txt"};
    FilterCompiler compiler;
    std::vector<QByteArray> texts;
    for (const char *name : names) {
        texts.push_back(listFile(name));
        if (texts.back().isEmpty())
            QSKIP("Debian's filter lists (webext-ublock-origin-chromium) are not installed");
        compiler.addList(
            std::string_view(texts.back().constData(), std::size_t(texts.back().size())));
    }
    std::string bytes = compiler.compile();
    std::string error;
    auto engine = FilterEngine::load(std::string_view(bytes), &error);
    QVERIFY2(engine, error.c_str());
    int understood = 0;
    QCOMPARE(engine->listCount(), 4);
    for (int i = 0; i < 4; ++i) {
        ListStats a = compiler.stats(i);
        ListStats b = engine->listStats(i);
        QVERIFY(a.understood > 1000);
        QCOMPARE(b.understood, a.understood);
        QCOMPARE(b.skipped, a.skipped);
        QCOMPARE(b.skippedReasons, a.skippedReasons);
        understood += a.understood;
    }
    QCOMPARE(engine->ruleCount(), understood);
    QVERIFY(engine->memoryBytes() < 20u * 1024 * 1024);

    // The first host filter of each list blocks its host, and the list that named it is told.
    for (int i = 0; i < 4; ++i) {
        const QList<QByteArray> lines = texts[std::size_t(i)].split('\n');
        QByteArray host;
        for (const QByteArray &line : lines) {
            QByteArray l = line.trimmed();
            QRegularExpressionMatch m
                = QRegularExpression("^\\|\\|([a-z0-9.-]+)\\^(\\$doc|\\$all)?$")
                      .match(QString::fromLatin1(l));
            if (i == 3
                && QRegularExpression("^[a-z][a-z0-9.-]+\\.[a-z]+$")
                       .match(QString::fromLatin1(l))
                       .hasMatch())
                m = QRegularExpression("^(.*)$").match(QString::fromLatin1(l));
            if (m.hasMatch()) {
                host = m.captured(1).toLatin1();
                break;
            }
        }
        QVERIFY2(!host.isEmpty(), names[i]);
        Decision d = engine->match(
            Request {("https://" + host + "/").toStdString(), "", ResourceType::Document});
        Decision s = engine->match(Request {("https://" + host + "/x").toStdString(),
                                            "https://unrelated.example/", ResourceType::Script});
        QVERIFY2(d.kind == Decision::Block || s.kind == Decision::Block, host.constData());
        QCOMPARE(d.kind == Decision::Block ? d.list : s.list, i);
    }
}

QTEST_GUILESS_MAIN(tst_FilterEngine)
#include "tst_filterengine.moc"
