#include "TestEnv.h"
#include "compat/PrivateProfile.h"
#include "find/UserSites.h"

#include <QtTest>

using usersites::List;
using usersites::Site;

class TestUserSites : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void checkSite_data()
    {
        QTest::addColumn<int>("list");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("kept");
        const int F = int(List::Freeware), E = int(List::Engines);
        // clang-format off
        QTest::newRow("plain")         << F << "Flathub" << "https://flathub.org/apps/search?q={keyword}" << true;
        QTest::newRow("http")          << E << "Local"   << "http://127.0.0.1:8080/?q={keyword}" << true;
        QTest::newRow("designed site") << F << "Tucows"  << "https://t.example/?q={keyword}" << false;
        QTest::newRow("designed, case")<< F << "tucows"  << "https://t.example/?q={keyword}" << false;
        QTest::newRow("engine name in other list") << F << "Google" << "https://g.example/?q={keyword}" << true;
        QTest::newRow("designed engine") << E << "Google" << "https://g.example/?q={keyword}" << false;
        QTest::newRow("prompt")        << E << "Search Engine" << "https://g.example/?q={keyword}" << false;
        QTest::newRow("duplicate")     << F << "mine"    << "https://m.example/?q={keyword}" << false;
        QTest::newRow("no keyword")    << F << "A"       << "https://a.example/" << false;
        QTest::newRow("two keywords")  << F << "A"       << "https://a.example/{keyword}?q={keyword}" << false;
        QTest::newRow("ftp")           << F << "A"       << "ftp://a.example/{keyword}" << false;
        QTest::newRow("javascript")    << F << "A"       << "javascript:alert({keyword})" << false;
        QTest::newRow("no host")       << F << "A"       << "https:///?q={keyword}" << false;
        QTest::newRow("equals in name")<< F << "a=b"     << "https://a.example/?q={keyword}" << false;
        QTest::newRow("section name")  << F << "[x]"     << "https://a.example/?q={keyword}" << false;
        QTest::newRow("blank name")    << F << " "       << "https://a.example/?q={keyword}" << false;
        // clang-format on
    }
    void checkSite()
    {
        QFETCH(int, list);
        QFETCH(QString, name);
        QFETCH(QString, address);
        QFETCH(bool, kept);
        const QList<Site> rows {{"Mine", "https://m.example/?q={keyword}"}};
        QCOMPARE(usersites::CheckSite(List(list), {name, address}, rows).isEmpty(), kept);
    }

    void keywordEncoded()
    {
        QCOMPARE(usersites::SiteAddress("https://a.example/s?q={keyword}&x=1", "zip & tar/é"),
                 QStringLiteral("https://a.example/s?q=zip%20%26%20tar%2F%C3%A9&x=1"));
    }

    // Rows come back in file order with their names as written; a hand-written line that is
    // no row, an unknown section or a refused row is a problem, and the others still read.
    void fileRoundTrip()
    {
        QTemporaryDir dir;
        const QString file = dir.path() + "/sites.ini";
        const QList<Site> freeware {{"Zeta", "https://z.example/?q={keyword}"},
                                    {"alpha", "https://a.example/?q={keyword}"}};
        const QList<Site> engines {{"Local", "http://127.0.0.1/?q={keyword}"}};
        QVERIFY(usersites::WriteSitesFile(file, freeware, engines));
        usersites::FileRows read = usersites::ReadSitesFile(file);
        QCOMPARE(read.freeware, freeware);
        QCOMPARE(read.engines, engines);
        QVERIFY(read.problems.isEmpty());

        QVERIFY(putFile(
            file,
            "\xEF\xBB\xBF[ freeware SITES ]\n ; note\n  Zeta = https://z.example/?q={keyword}\n"
            "Tucows=https://t.example/?q={keyword}\nstray line\n[Other]\nx=y\n"
            "[Search engines]\nLocal=http://127.0.0.1/?q={keyword}\n"));
        read = usersites::ReadSitesFile(file);
        QCOMPARE(read.freeware, freeware.mid(0, 1));
        QCOMPARE(read.engines, engines);
        QCOMPARE(read.problems.size(), 4); // Tucows, the stray line, [Other] and its row

        static const char withNul[] = "[Freeware sites]\nA=https://a.example/?q={keyword}\0\n";
        QVERIFY(putFile(file, QByteArray(withNul, sizeof withNul - 1)));
        QVERIFY(!usersites::ReadSitesFile(file).readable);
    }

    void sectionPairsInOrder()
    {
        QTemporaryDir dir;
        const QString file = dir.path() + "/p.ini";
        QVERIFY(putFile(file, "[S]\nb=1\n A = \"2\" \n[T]\nc=3\n[s]\nB=4\nd=5\n"));
        QStringList got;
        for (const compat::ProfilePair &p : compat::GetPrivateProfileSectionPairs("s", file))
            got << p.key + '=' + p.value;
        QCOMPARE(got, QStringList({"b=1", "A=2", "d=5"}));
        QVERIFY(compat::GetPrivateProfileSectionPairs("S", dir.path() + "/none.ini").isEmpty());
    }
};

QTEST_MAIN(TestUserSites)
#include "tst_usersites.moc"
