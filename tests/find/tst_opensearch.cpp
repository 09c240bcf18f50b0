#include "find/OpenSearch.h"

#include <QtTest>

class TestOpenSearch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void addressFromTemplate_data()
    {
        QTest::addColumn<QString>("templ");
        QTest::addColumn<QString>("address"); // "" when refused
        // clang-format off
        QTest::newRow("plain")       << "https://s.example/?q={searchTerms}" << "https://s.example/?q={keyword}";
        QTest::newRow("http")        << "http://127.0.0.1:8/s?q={searchTerms}&x=1" << "http://127.0.0.1:8/s?q={keyword}&x=1";
        QTest::newRow("optional")    << "https://s.example/?q={searchTerms}&l={language?}&p={startPage?}" << "https://s.example/?q={keyword}&l=&p=";
        QTest::newRow("required")    << "https://s.example/?q={searchTerms}&i={startIndex}&e={inputEncoding}&n={count}" << "https://s.example/?q={keyword}&i=1&e=UTF-8&n=20";
        QTest::newRow("foreign")     << "https://s.example/?q={searchTerms}&c={moz:client}" << "https://s.example/?q={keyword}&c=";
        QTest::newRow("terms optional") << "https://s.example/?q={searchTerms?}" << "https://s.example/?q={keyword}";
        QTest::newRow("no terms")    << "https://s.example/?q=x" << "";
        QTest::newRow("terms twice") << "https://s.example/{searchTerms}?q={searchTerms}" << "";
        QTest::newRow("own marker")  << "https://s.example/{keyword}?q={searchTerms}" << "";
        QTest::newRow("javascript")  << "javascript:alert('{searchTerms}')" << "";
        QTest::newRow("file")        << "file:///etc/{searchTerms}" << "";
        QTest::newRow("relative")    << "/search?q={searchTerms}" << "";
        QTest::newRow("data")        << "data:text/html,{searchTerms}" << "";
        // clang-format on
    }
    void addressFromTemplate()
    {
        QFETCH(QString, templ);
        QFETCH(QString, address);
        QString error;
        QCOMPARE(opensearch::AddressFromTemplate(templ, &error), address);
        QCOMPARE(error.isEmpty(), !address.isEmpty());
    }

    void parse_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address"); // "" when refused
        const QByteArray head = "<?xml version='1.0' encoding='UTF-8'?>"
                                "<OpenSearchDescription>";
        // clang-format off
        QTest::newRow("plain") << head + "<ShortName> Free\n Soft </ShortName><Url type='text/html' template='https://f.example/?q={searchTerms}'/></OpenSearchDescription>" << "Free Soft" << "https://f.example/?q={keyword}";
        QTest::newRow("html after others") << head + "<Url type='application/x-suggestions+json' template='https://f.example/s?q={searchTerms}'/><Url type='text/html' method='POST' template='https://f.example/p?q={searchTerms}'/><Url type='text/html' rel='suggestions' template='https://f.example/r?q={searchTerms}'/><Url type='TEXT/HTML' method='get' template='https://f.example/g?q={searchTerms}&amp;a=1'/></OpenSearchDescription>" << "" << "https://f.example/g?q={keyword}&a=1";
        QTest::newRow("bad then good") << head + "<Url type='text/html' template='ftp://f.example/{searchTerms}'/><Url type='text/html' template='https://f.example/?q={searchTerms}'/></OpenSearchDescription>" << "" << "https://f.example/?q={keyword}";
        QTest::newRow("only bad")  << head + "<Url type='text/html' template='ftp://f.example/{searchTerms}'/></OpenSearchDescription>" << "" << "";
        QTest::newRow("no html")   << head + "<Url type='application/rss+xml' template='https://f.example/?q={searchTerms}'/></OpenSearchDescription>" << "" << "";
        QTest::newRow("other root") << QByteArray("<html><Url type='text/html' template='https://f.example/?q={searchTerms}'/></html>") << "" << "";
        QTest::newRow("not closed") << head + "<Url type='text/html' template='https://f.example/?q={searchTerms}'/>" << "" << "";
        QTest::newRow("empty")     << QByteArray() << "" << "";
        QTest::newRow("doctype")   << QByteArray("<?xml version='1.0'?><!DOCTYPE OpenSearchDescription [<!ENTITY a 'aaaaaaaaaa'><!ENTITY b '&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;'>]><OpenSearchDescription><ShortName>&b;</ShortName><Url type='text/html' template='https://f.example/?q={searchTerms}'/></OpenSearchDescription>") << "" << "";
        QTest::newRow("external entity") << QByteArray("<?xml version='1.0'?><!DOCTYPE x SYSTEM 'file:///etc/passwd'><OpenSearchDescription><Url type='text/html' template='https://f.example/?q={searchTerms}'/></OpenSearchDescription>") << "" << "";
        QTest::newRow("undeclared entity") << head + "<ShortName>&x;</ShortName><Url type='text/html' template='https://f.example/?q={searchTerms}'/></OpenSearchDescription>" << "" << "";
        QTest::newRow("too large") << head + "<ShortName>" + QByteArray(opensearch::kMaxDescriptionSize, 'a') + "</ShortName><Url type='text/html' template='https://f.example/?q={searchTerms}'/></OpenSearchDescription>" << "" << "";
        QTest::newRow("long name") << head + "<ShortName>" + QByteArray(100, 'n') + "</ShortName><Url type='text/html' template='https://f.example/?q={searchTerms}'/></OpenSearchDescription>" << QString(64, 'n') << "https://f.example/?q={keyword}";
        // clang-format on
    }
    void parse()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QString, name);
        QFETCH(QString, address);
        const opensearch::Description d = opensearch::ParseDescription(xml);
        QCOMPARE(d.address, address);
        QCOMPARE(d.error.isEmpty(), !address.isEmpty());
        if (!address.isEmpty())
            QCOMPARE(d.name, name);
    }
};

QTEST_MAIN(TestOpenSearch)
#include "tst_opensearch.moc"
