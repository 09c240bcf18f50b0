// The user's own sites: added in the sites window with the keyboard, searched from Find
// Freeware, kept over a restart; a designed name refused; a damaged file set aside.

#include "LocalHttpServer.h"
#include "ProgramRun.h"
#include "TestEnv.h"
#include "compat/Twips.h"

#include <QtTest>

using compat::Twips;
using namespace Qt::StringLiterals;

namespace {

const QString kMain = u"Scoutwell v3.3 - [Page E]"_s;
const QString kBox = u"Scoutwell v3.3"_s;
const QString kFind = u"Scoutwell Search Engine"_s;
const QString kSites = u"Sites and Search Engines"_s;
// Points of Find Freeware: the site box's text, the keyword box, SEARCH! and Sites….
const QPoint kSiteBox(Twips(1260 + 600), Twips(210 + 172));
const QPoint kKeywordBox(Twips(1260 + 3540 / 2), Twips(675 + 172));
const QPoint kSearch(Twips(3600 + 600), Twips(1200 + 187));
const QPoint kSitesButton(Twips(240 + 600), Twips(1200 + 187));

} // namespace

class TestE2ESites : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void ownSite()
    {
        LocalHttpServer server;
        server.addPage("/e.html", "<title>Page E</title>");
        ProgramRun run(QStringLiteral(SCOUTWELL_BIN_DIR), QStringLiteral(SCOUTWELL_SHOT_DIR));
        run.setSettings({"ShowSplash", "0", "TB", "1", "Start Page", server.url("/e.html")});
        const QString sitesFile = run.path() + "/data/ScoutwellV3/sites.ini";
        const QString address = server.url("/find?q={keyword}&from=scoutwell");

        VERIFY_WINDOW(main, run, startUntil(exactly(kMain)));
        run.key(main, "F2");
        VERIFY_WINDOW(find, run, waitForWindow(exactly(kFind)));
        run.click(find, kSitesButton);
        VERIFY_WINDOW(sites, run, waitForWindow(exactly(kSites)));

        // A designed name is refused, and nothing is written.
        run.type(sites, "Tucows");
        run.key(sites, "Tab");
        run.type(sites, address);
        run.key(sites, "Return");
        VERIFY_WINDOW(refused, run, waitForWindow(exactly(kBox)));
        run.screenshot("sites-designed-name-refused");
        run.key(refused, "Return");
        QVERIFY(run.waitForNoWindow(exactly(kBox)));
        QVERIFY(!readFile(sitesFile).contains("Tucows"));

        // The name box still has the keyboard after the message: a new name replaces it.
        run.key(sites, "shift+Tab ctrl+a");
        run.type(sites, "Local Freeware");
        run.key(sites, "Tab Return");
        QTRY_VERIFY_WITH_TIMEOUT(
            readFile(sitesFile).contains("Local Freeware=" + address.toUtf8() + '\n'), 10000);
        run.screenshot("sites-window");
        run.key(sites, "alt+c");
        QVERIFY(run.waitForNoWindow(exactly(kSites)));

        // Picked from the list with the keys (the own row is the last), a keyword with a blank
        // and an "&": the server is asked with the keyword encoded.
        const QString asked = "/find?q=free%20zip%20%26%20tool&from=scoutwell";
        const auto searchOwnSite = [&](const QString &window) {
            run.click(window, kSiteBox);
            run.key(window, "alt+Down");
            run.key(QString(), "End Return");
            run.click(window, kKeywordBox);
            run.key(window, "ctrl+a");
            run.type(window, "free zip & tool");
            run.screenshot("sites-find-freeware");
            run.click(window, kSearch);
            QTRY_VERIFY_WITH_TIMEOUT(server.requests().contains(asked), 15000);
        };
        searchOwnSite(find);
        QVERIFY(run.exit(main));

        // After a restart the row is still there.
        VERIFY_WINDOW(main2, run, startUntil(exactly(kMain)));
        // Another keyword: the engine keeps the first answer in its cache.
        const QString askedAgain = "/find?q=unzip%2Btar&from=scoutwell";
        run.key(main2, "F2");
        VERIFY_WINDOW(find2, run, waitForWindow(exactly(kFind)));
        run.click(find2, kSiteBox);
        run.key(find2, "alt+Down");
        run.key(QString(), "End Return");
        run.click(find2, kKeywordBox);
        run.type(find2, "unzip+tar");
        run.screenshot("sites-find-freeware-after-restart");
        run.click(find2, kSearch);
        QTRY_VERIFY_WITH_TIMEOUT(server.requests().contains(askedAgain), 15000);
        QVERIFY(run.exit(main2));

        // A damaged file: set aside whole, reported, and the rows that could be read kept.
        QFile damaged(sitesFile);
        QVERIFY(damaged.open(QIODevice::Append));
        damaged.write("this line is no row\n");
        damaged.close();
        const QByteArray damagedBytes = readFile(sitesFile);
        VERIFY_WINDOW(main3, run, startUntil(exactly(kMain)));
        run.key(main3, "F2");
        VERIFY_WINDOW(report, run, waitForWindow(exactly(kBox)));
        run.screenshot("sites-damaged-reported");
        run.key(report, "Return");
        VERIFY_WINDOW(find3, run, waitForWindow(exactly(kFind)));
        QCOMPARE(readFile(sitesFile + ".bad"), damagedBytes);
        QVERIFY(readFile(sitesFile).contains("Local Freeware="));
        QVERIFY(!readFile(sitesFile).contains("no row"));
        QVERIFY(run.exit(main3));
    }
};

QTEST_MAIN(TestE2ESites)
#include "tst_e2e_sites.moc"
