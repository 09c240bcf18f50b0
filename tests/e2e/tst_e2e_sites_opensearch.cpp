// A site's own search, offered by its page: the status bar's offer, one click to read the
// description, one to add it to Find on the web; then a search with it reaches the site.

#include "LocalHttpServer.h"
#include "ProgramRun.h"
#include "TestEnv.h"
#include "compat/Twips.h"

#include <QtTest>

using compat::Twips;
using namespace Qt::StringLiterals;

namespace {

// The offer is drawn as a link; the guard's count beside it, which takes its place while
// there is no offer, in black.
bool linkBlue(QColor c)
{
    return c.blue() > c.red() + 80;
}

const QString kMain = u"Scoutwell v3.3 - [Local Freeware Search]"_s;
const QString kAdd = u"Add Search Site"_s;
const QString kFind = u"Find on the web"_s;
// The status bar's offer, at its right end, in the main window.
const QRect kOfferArea(1080, 882, 195, 16);
const QPoint kOffer(1180, 889);
// "Add to Find on the web" in the add window.
const QPoint kAddToEngines(225, 89);
// Points of Find on the web: the engine box, the keyword box, SEARCH!.
const QPoint kEngineBox(Twips(240 + 600), Twips(210 + 172));
const QPoint kKeywordBox(Twips(1260 + 3540 / 2), Twips(675 + 172));
const QPoint kSearch(Twips(3600 + 600), Twips(1200 + 187));

} // namespace

class TestE2ESitesOpenSearch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void addFromPage()
    {
        LocalHttpServer server;
        server.addPage("/page.html",
                       "<!DOCTYPE html><html><head><title>Local Freeware Search</title>"
                       "<link rel='search' type='application/opensearchdescription+xml' "
                       "title='Local Engine' href='/opensearch.xml'></head>"
                       "<body><h1>Local freeware</h1></body></html>");
        server.addPage("/opensearch.xml",
                       "<?xml version='1.0' encoding='UTF-8'?>"
                       "<OpenSearchDescription>"
                       "<ShortName>Local Engine</ShortName>"
                       "<Url type='application/x-suggestions+json' template='"
                           + server.url("/suggest?q={searchTerms}").toUtf8()
                           + "'/><Url type='text/html' template='"
                           + server.url("/results?q={searchTerms}&amp;p={startPage?}").toUtf8()
                           + "'/></OpenSearchDescription>");
        // A description that would go on for 8 MB, sent slowly: reading stops past the limit,
        // long before the whole file could have arrived.
        QTemporaryDir bigDir;
        QFile bigFile(bigDir.filePath("big.xml"));
        QVERIFY(bigFile.open(QIODevice::WriteOnly));
        bigFile.write("<?xml version='1.0'?><OpenSearchDescription><ShortName>Big</ShortName>"
                      "<Url type='text/html' template='"
                      + server.url("/big?q={searchTerms}").toUtf8() + "'/><!-- ");
        bigFile.write(QByteArray(8 << 20, 'x'));
        bigFile.write(" --></OpenSearchDescription>");
        bigFile.close();
        server.addDownload("/big.xml", bigFile.fileName(), {16 * 1024, 25});
        server.addPage("/big.html",
                       "<title>Big</title><link rel='search' title='Big' "
                       "type='application/opensearchdescription+xml' href='/big.xml'>");
        ProgramRun run(QStringLiteral(SCOUTWELL_BIN_DIR), QStringLiteral(SCOUTWELL_SHOT_DIR));
        run.setSettings({"ShowSplash", "0", "TB", "1", "Start Page", server.url("/page.html")});
        const QString sitesFile = run.path() + "/data/ScoutwellV3/sites.ini";

        VERIFY_WINDOW(main, run, startUntil(exactly(kMain)));
        // The offer shows once the page has been looked at: its text in the status bar.
        QImage shot;
        QVERIFY(QTest::qWaitFor(
            [&] {
                shot = run.screenshot("opensearch-offer");
                return ProgramRun::countPixels(shot, kOfferArea, linkBlue) > 100;
            },
            20000));
        QVERIFY(!server.requests().contains("/opensearch.xml")); // nothing read before asked

        // Click one: the description is read from the site, and the add window asks where.
        ProgramRun::click(main, kOffer);
        VERIFY_WINDOW(add, run, waitForWindow(exactly(kAdd)));
        QVERIFY(server.requests().contains("/opensearch.xml"));
        run.screenshot("opensearch-add-window");
        // Click two: Find on the web's list.
        ProgramRun::click(add, kAddToEngines);
        QVERIFY(run.waitForNoWindow(exactly(kAdd)));
        const QByteArray row
            = "Local Engine=" + server.url("/results?q={keyword}&p=").toUtf8() + '\n';
        QTRY_VERIFY_WITH_TIMEOUT(readFile(sitesFile).contains("[Search engines]\n" + row), 5000);

        // A search with it from Find on the web: the site is asked with the keyword encoded.
        run.key(main, "F3");
        VERIFY_WINDOW(find, run, waitForWindow(exactly(kFind)));
        run.click(find, kEngineBox);
        run.key(find, "alt+Down");
        run.key(QString(), "End Return");
        run.click(find, kKeywordBox);
        run.key(find, "ctrl+a");
        run.type(find, "zip & tar");
        run.screenshot("opensearch-find-on-the-web");
        run.click(find, kSearch);
        const QString asked = "/results?q=zip%20%26%20tar&p=";
        QTRY_VERIFY_WITH_TIMEOUT(server.requests().contains(asked), 15000);

        // A description past the size limit is refused with a message, and nothing is added.
        // Another page is opened from the address box; its offer shows once it has been looked
        // at. Its title is waited for first, so the last page's offer is not taken for its own.
        const auto visit = [&](const QString &path, const QString &title) {
            ProgramRun::click(main, QPoint(560, 45));
            run.key(main, "End shift+Home");
            run.type(main, server.url(path));
            run.key(main, "Return");
            const QString shown = "Scoutwell v3.3 - [" + title + ']';
            return QTest::qWaitFor([&] { return ProgramRun::windowTitle(main) == shown; }, 20000)
                && QTest::qWaitFor(
                       [&] {
                           return ProgramRun::countPixels(
                                      run.screenshot("opensearch-offer-" + path.mid(1)), kOfferArea,
                                      linkBlue)
                               > 100;
                       },
                       20000);
        };
        QVERIFY(visit("/big.html", "Big"));
        ProgramRun::click(main, kOffer);
        VERIFY_WINDOW(refused, run, waitForWindow(exactly(u"Scoutwell v3.3"_s)));
        QVERIFY(server.requests().contains("/big.xml"));
        QVERIFY2(server.sentBytes("/big.xml") < (1 << 20),
                 QByteArray::number(server.sentBytes("/big.xml")));
        run.screenshot("opensearch-too-large");
        run.key(refused, "Return");
        QVERIFY(run.waitForNoWindow(exactly(u"Scoutwell v3.3"_s)));
        QVERIFY(!readFile(sitesFile).contains("Big"));

        // The first page again (its description may come from the engine's cache): its search is
        // said to be in the list already, in place of the add window.
        QVERIFY(visit("/page.html", "Local Freeware Search"));
        ProgramRun::click(main, kOffer);
        VERIFY_WINDOW(already, run, waitForWindow(exactly(u"Scoutwell v3.3"_s)));
        run.key(already, "Return");
        QVERIFY(run.waitForNoWindow(exactly(u"Scoutwell v3.3"_s)));
        QCOMPARE(readFile(sitesFile).count("Local Engine="), 1);
        QVERIFY(run.exit(main));
    }
};

QTEST_MAIN(TestE2ESitesOpenSearch)
#include "tst_e2e_sites_opensearch.moc"
