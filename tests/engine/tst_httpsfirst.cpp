// Which plain addresses the browser control asks for over HTTPS first, and in which form.
#include "engine/HttpsFirst.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestHttpsFirst : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void secureForm_data();
    void secureForm();
    void tryOutcome_data();
    void tryOutcome();
};

void TestHttpsFirst::secureForm_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("secure"); // "" when loaded as given
    // clang-format off
    QTest::newRow("plain host")         << "http://www.freeware.example/" << "https://www.freeware.example/";
    QTest::newRow("path, query, frag")  << "http://a.example/d/x.zip?v=1#top" << "https://a.example/d/x.zip?v=1#top";
    QTest::newRow("port 80 dropped")    << "http://a.example:80/p" << "https://a.example/p";
    QTest::newRow("user info kept")     << "http://u@a.example/" << "https://u@a.example/";
    QTest::newRow("upper-case scheme")  << "HTTP://A.Example/" << "https://a.example/";
    QTest::newRow("public IPv4")        << "http://93.184.216.34/" << "https://93.184.216.34/";
    QTest::newRow("public IPv6")        << "http://[2001:db8::1]/" << "https://[2001:db8::1]/";
    QTest::newRow("other port")         << "http://a.example:8080/" << "";
    QTest::newRow("already secure")     << "https://a.example/" << "";
    QTest::newRow("ftp")                << "ftp://a.example/" << "";
    QTest::newRow("file")               << "file:///tmp/x.html" << "";
    QTest::newRow("about")              << "about:blank" << "";
    QTest::newRow("localhost")          << "http://localhost/" << "";
    QTest::newRow("sub.localhost")      << "http://app.localhost/" << "";
    QTest::newRow("reserved .invalid")  << "http://a.b.invalid/x" << "";
    QTest::newRow("loopback")           << "http://127.0.0.1/" << "";
    QTest::newRow("loopback far")       << "http://127.8.9.10/" << "";
    QTest::newRow("IPv6 loopback")      << "http://[::1]/" << "";
    QTest::newRow("10/8")               << "http://10.1.2.3/" << "";
    QTest::newRow("172.16/12")          << "http://172.20.0.1/" << "";
    QTest::newRow("172.32 is public")   << "http://172.32.0.1/" << "https://172.32.0.1/";
    QTest::newRow("192.168/16")         << "http://192.168.1.1/" << "";
    QTest::newRow("link-local")         << "http://169.254.1.1/" << "";
    QTest::newRow("CGNAT")              << "http://100.64.1.1/" << "";
    QTest::newRow("IPv6 unique local")  << "http://[fd00::1]/" << "";
    QTest::newRow("single label")       << "http://router/" << "";
    QTest::newRow("no host")            << "http:///x" << "";
    // clang-format on
}

void TestHttpsFirst::secureForm()
{
    QFETCH(QString, address);
    QFETCH(QString, secure);
    QCOMPARE(engine::SecureFormOf(QUrl(address)).toString(), secure);
}

void TestHttpsFirst::tryOutcome_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("outcome"); // what the page reports of the secure try
    QTest::addColumn<bool>("fellBack");
    // clang-format off
    QTest::newRow("answered")           << "answers.example" << "answered" << false;
    QTest::newRow("no connection")      << "refuses.example" << "failed" << true;
    QTest::newRow("other host's error") << "stays.example" << "failed elsewhere" << false;
    QTest::newRow("given up (overdue)") << "slow.example" << "give up" << true;
    QTest::newRow("stopped")            << "stopped.example" << "forget" << false;
    // clang-format on
}

void TestHttpsFirst::tryOutcome()
{
    QFETCH(QString, host);
    QFETCH(QString, outcome);
    QFETCH(bool, fellBack);
    engine::HttpsFirst first(nullptr);
    QList<QUrl> plainLoads;
    connect(&first, &engine::HttpsFirst::fallBack, this,
            [&](const QUrl &plain) { plainLoads << plain; });
    const QUrl plain(u"http://"_s + host + u"/page"_s);
    const QUrl secure = first.upgrade(plain);
    QCOMPARE(secure.toString(), u"https://"_s + host + u"/page"_s);
    QCOMPARE(first.upgrade(secure), secure); // the try itself, as the engine asks for it
    if (outcome == u"answered"_s)
        first.answered(secure);
    else if (outcome == u"failed"_s)
        QVERIFY(first.failed(secure));
    else if (outcome == u"failed elsewhere"_s)
        QVERIFY(!first.failed(QUrl(u"https://elsewhere.example/"_s)));
    else if (outcome == u"give up"_s)
        first.giveUp();
    else
        first.forget();
    QCOMPARE(plainLoads, fellBack ? QList<QUrl> {plain} : QList<QUrl> {});
    QCOMPARE(engine::HttpsFirst::isFailedTry(secure), fellBack);
    // A host fallen back costs one try: the next time it is loaded as given.
    QCOMPARE(first.upgrade(plain) == plain, fellBack);
}

QTEST_MAIN(TestHttpsFirst)
#include "tst_httpsfirst.moc"
