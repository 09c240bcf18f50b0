// scoutwell --check-filters and --check-requests: the answers list authors read, line by line,
// and the command line that asks for them.

#include "app/CommandLine.h"
#include "guard/FilterEngine.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sstream>

class tst_CheckFilters : public QObject
{
    Q_OBJECT
private slots:
    void checkFilters_data();
    void checkFilters();
    void checkRequests_data();
    void checkRequests();
    void commandLine();
};

void tst_CheckFilters::checkFilters_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("answer");
    const char *rows[][2] = {
        // block
        {"||ads.org^\thttps://ads.org/a.js\thttps://news.org/\tscript", "block\t||ads.org^"},
        {"/banner/*/img^\thttps://a.org/banner/x/img?1\thttps://a.org/\timage",
         "block\t/banner/*/img^"},
        {"||t.org^$third-party\thttps://t.org/p\thttps://\timage", "block\t||t.org^$third-party"},
        {"||t.org^$third-party\thttps://t.org/p\tabout:blank\timage",
         "block\t||t.org^$third-party"},
        {"||t.org^$3p\thttps://t.org/p\t\timage", "block\t||t.org^$3p"},
        {"||t.org^$first-party\thttps://t.org/p\thttps://www.t.org/\timage",
         "block\t||t.org^$first-party"},
        {"||t.org^$domain=~news.org\thttps://t.org/p\tabout:blank\timage",
         "block\t||t.org^$domain=~news.org"},
        {"||a.org^$xhr\thttps://a.org/api\thttps://b.org/\tfetch", "block\t||a.org^$xhr"},
        {"||a.org^$doc\thttps://a.org/\t\tdoc", "block\t||a.org^$doc"},
        {"||a.org^$css\thttps://a.org/s.css\t\tstylesheet", "block\t||a.org^$css"},
        {"||a.org^$frame\thttps://a.org/f\t\tsubdocument", "block\t||a.org^$frame"},
        {"badware.example\thttps://www.badware.example/\t\tdocument", "block\tbadware.example"},
        {"badware.example\thttps://www.badware.example/x.js\t\tscript", "block\tbadware.example"},
        {"/ad[0-9]+\\.js/\thttps://a.org/ad12.js\t\tscript", "block\t/ad[0-9]+\\.js/"},
        // allow
        {"@@||ads.org^\thttps://ads.org/a.js\thttps://news.org/\tscript", "allow\t@@||ads.org^"},
        {"@@||ads.org^$script\thttps://ads.org/a.js\t\tscript", "allow\t@@||ads.org^$script"},
        {"@@||ads.org^$domain=news.org\thttps://ads.org/a\thttps://m.news.org/\timage",
         "allow\t@@||ads.org^$domain=news.org"},
        {"@@||ads.org^$first-party\thttps://ads.org/a\thttps://ads.org/\timage",
         "allow\t@@||ads.org^$first-party"},
        {"@@/promo/\thttps://a.org/promo/1\t\timage", "allow\t@@/promo/"},
        {"@@||a.org^$doc\thttps://a.org/\t\tdocument", "allow\t@@||a.org^$doc"},
        // pass
        {"||ads.org^\thttps://notads.org/a.js\t\tscript", "pass"},
        {"||ads.org^$script\thttps://ads.org/a.png\t\timage", "pass"},
        {"||t.org^$third-party\thttps://t.org/p\thttps://cdn.t.org/\timage", "pass"},
        {"||t.org^$first-party\thttps://t.org/p\thttps://\timage", "pass"},
        {"||t.org^$~third-party\thttps://t.org/p\tabout:blank\timage", "pass"},
        {"||t.org^$domain=news.org\thttps://t.org/p\thttps://\timage", "pass"},
        {"||t.org^$domain=news.org\thttps://t.org/p\tabout:blank\timage", "pass"},
        {"@@||ads.org^$script\thttps://ads.org/a.png\t\timage", "pass"},
        {"||a.org^$image\thttps://a.org/\t\tdocument", "pass"},
        {"||a.org^$popup\thttps://a.org/\thttps://b.org/\tscript", "pass"},
        {"/BIG/$match-case\thttps://a.org/big/\t\timage", "pass"},
        {"a.org##.ad\thttps://a.org/\t\tdocument",
         "pass\telement hiding, never matched against requests"},
        // unsupported
        {"||a.org^$redirect=noop.js\thttps://a.org/x.js\t\tscript", "unsupported\toption redirect"},
        {"||a.org^$csp=script-src 'none'\thttps://a.org/\t\tdocument", "unsupported\toption csp"},
        {"||a.org^$removeparam=utm_source\thttps://a.org/?utm_source=x\t\tdocument",
         "unsupported\toption removeparam"},
        {"||a.org^$script,strict3p\thttps://a.org/x.js\t\tscript", "unsupported\toption strict3p"},
        {"||a.org^$domain=google.*\thttps://a.org/\thttps://google.de/\tscript",
         "unsupported\tdomain entity"},
        {"example.com##+js(set-constant, ads, false)\thttps://example.com/\t\tdocument",
         "unsupported\tscriptlet"},
        {"example.com##.ad:has-text(Sponsored)\thttps://example.com/\t\tdocument",
         "unsupported\tprocedural selector"},
        {"example.com##.ad:style(opacity: 0)\thttps://example.com/\t\tdocument",
         "unsupported\tstyle injection"},
        {"example.com#?#.ad\thttps://example.com/\t\tdocument", "unsupported\textended selector"},
        {"example.com##^script:has-text(ads)\thttps://example.com/\t\tdocument",
         "unsupported\thtml filter"},
        {"ad banner\thttps://a.org/ad\t\tscript", "unsupported\tinvalid pattern"},
        {"/addyn|*|adtech;\thttps://a.org/addyn|3.0|adtech;x\t\tscript", "block\t/addyn|*|adtech;"},
        {"/ad[0-9/$script\thttps://a.org/ad1\t\tscript", "unsupported\tinvalid regex"},
        {"! a comment\thttps://a.org/\t\tscript", "unsupported\tnot a filter"},
        // lines the command cannot read
        {"||a.org^", "error\tno request address"},
        {"||a.org^\thttps://a.org/\t\tbanana", "error\tunknown type banana"},
    };
    for (const auto &row : rows)
        QTest::addRow("%s", row[0]) << QString::fromUtf8(row[0]) << QString::fromUtf8(row[1]);
}

void tst_CheckFilters::checkFilters()
{
    QFETCH(QString, line);
    QFETCH(QString, answer);
    std::istringstream in(line.toStdString() + "\n");
    std::ostringstream out;
    int code = guard::checkFilters(in, out);
    QCOMPARE(QString::fromStdString(out.str()), answer + "\n");
    QCOMPARE(code, answer.startsWith("error") ? 1 : 0);
}

void tst_CheckFilters::checkRequests_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("answer");
    QTest::newRow("block") << "https://ads.org/x.js\thttps://news.org/\tscript"
                           << "block\t||ads.org^";
    QTest::newRow("exception") << "https://ads.org/ok/x.js\thttps://news.org/\tscript"
                               << "allow\t@@||ads.org/ok/$script";
    QTest::newRow("exception for another type") << "https://ads.org/ok/x.png\t\timage"
                                                << "block\t||ads.org^";
    QTest::newRow("second list") << "https://bad.example/\t\tdocument"
                                 << "block\t||bad.example^$doc";
    QTest::newRow("bare host line") << "https://cdn.malware.example/a\thttps://\tother"
                                    << "block\tmalware.example";
    QTest::newRow("skipped filter has no effect") << "https://redirect.example/x.js\t\tscript"
                                                  << "pass";
    QTest::newRow("pass") << "https://news.org/\t\tdocument"
                          << "pass";
    QTest::newRow("no address") << ""
                                << "error\tno request address";
}

void tst_CheckFilters::checkRequests()
{
    QFETCH(QString, line);
    QFETCH(QString, answer);
    QTemporaryDir dir;
    QFile a(dir.filePath("a.txt"));
    QFile b(dir.filePath("b.txt"));
    QVERIFY(a.open(QIODevice::WriteOnly) && b.open(QIODevice::WriteOnly));
    a.write("[Adblock Plus 2.0]\n! Title: A\n||ads.org^\n@@||ads.org/ok/$script\n"
            "||redirect.example^$redirect=noop.js\n");
    b.write("||bad.example^$doc\r\nmalware.example\r\n");
    a.close();
    b.close();
    std::istringstream in(line.toStdString() + "\n");
    std::ostringstream out, err;
    int code = guard::checkRequests({a.fileName().toStdString(), b.fileName().toStdString()}, in,
                                    out, err);
    QCOMPARE(QString::fromStdString(out.str()), answer + "\n");
    QCOMPARE(code, answer.startsWith("error") ? 1 : 0);

    std::istringstream none(line.toStdString());
    QCOMPARE(guard::checkRequests({dir.filePath("missing.txt").toStdString()}, none, out, err), 2);
}

void tst_CheckFilters::commandLine()
{
    app::CommandLine c = app::ParseCommandLine({"--check-filters"}, "/");
    QCOMPARE(c.exitCode, -1);
    QVERIFY(c.check == app::CommandLine::Check::Filters);
    c = app::ParseCommandLine({"--check-requests", "a.txt", "b.txt"}, "/");
    QVERIFY(c.check == app::CommandLine::Check::Requests);
    QCOMPARE(c.lists, (QStringList {"a.txt", "b.txt"}));
    QCOMPARE(app::ParseCommandLine({"--check-requests"}, "/").exitCode, 2);
    QVERIFY(app::ParseCommandLine({"--help"}, "/").text.contains("--check-requests LIST..."));
}

QTEST_GUILESS_MAIN(tst_CheckFilters)
#include "tst_checkfilters.moc"
