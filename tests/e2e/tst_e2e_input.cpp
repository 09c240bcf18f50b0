// A person's keyboard and mouse on the real program under X: addresses and keywords typed
// into the address box, the finding windows used with the mouse, the go-to-keyword window,
// and the editing keys inside a page. Every key and click is a real X event; the cases
// share one run of the program, one after another.
#include "KeptList.h"
#include "LocalHttpServer.h"
#include "ProgramRun.h"
#include "app/App.h"
#include "app/Hosts.h"
#include "compat/Twips.h"

#include <QtTest>

using compat::Twips;
using namespace Qt::StringLiterals;

namespace {

QString mainTitle(const QString &page)
{
    return "Scoutwell v3.3 - [" + page + ']';
}

// Points of the main window with the toolbar shown: the address box and its arrow, a blank
// spot of the page, and the page's big word and text field (laid out by the test's page).
const QPoint kAddressBox(560, 45), kAddressArrow(749, 45), kBlankPage(100, 600);
const QPoint kWord(80, 120), kField(150, 215);

} // namespace

class TestE2EInput : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void typedAndClicked()
    {
        LocalHttpServer server;
        for (const char *name : {"b", "c", "d"})
            server.addPage(u"/%1.html"_s.arg(name),
                           "<title>Page " + QByteArray(name).toUpper() + "</title>");
        server.addPage("/b", "<title>Short B</title>");
        server.addPage("/landed.html", "<title>Landed page</title>");
        server.addRedirect("/moved", "/landed.html");
        server.addPage("/e.html",
                       "<title>Page E</title><body style='margin:0'>"
                       "<p style='position:fixed;left:20px;top:20px;margin:0;font:40px sans-serif'>"
                       "Freeware</p><input style='position:fixed;left:20px;top:120px;width:300px;"
                       "height:40px'></body>");
        ProgramRun run(QStringLiteral(SCOUTWELL_BIN_DIR), QStringLiteral(SCOUTWELL_SHOT_DIR));
        run.setSettings({"ShowSplash", "0", "TB", "1", "Start Page", server.url("/e.html")});
        VERIFY_WINDOW(main, run, startUntil(exactly(mainTitle("Page E"))));
        const auto titleIs = [&](const QString &page) {
            return QTest::qWaitFor([&] { return ProgramRun::windowTitle(main) == mainTitle(page); },
                                   15000);
        };
        // A click in the address box, then the keys that select its whole text: a triple
        // click slowed by a loaded machine is three single clicks and selects nothing.
        const auto selectAddress = [&] {
            run.click(main, kAddressBox);
            run.key(main, "End shift+Home");
        };

        // Selected page text: Ctrl+C copies it and leaves the Cache Killer closed.
        run.click(main, kWord, 2);
        run.key(main, "ctrl+c");
        QTRY_COMPARE_WITH_TIMEOUT(ProgramRun::clipboard(), QStringLiteral("Freeware"), 5000);
        QVERIFY(run.waitForWindow(exactly("History"), 1500).isEmpty());
        // In the page's text field the editing keys edit: the paste lands after what was typed,
        // and select-all and copy take the field's whole text.
        run.click(main, kField);
        run.type(main, "got:");
        run.key(main, "ctrl+v");
        run.key(main, "ctrl+a ctrl+c");
        QTRY_COMPARE_WITH_TIMEOUT(ProgramRun::clipboard(), QStringLiteral("got:Freeware"), 5000);
        QCOMPARE(ProgramRun::windowTitle(main), mainTitle("Page E"));
        QVERIFY(run.waitForWindow(exactly("History"), 1500).isEmpty());
        run.screenshot("input-page-keys");
        // Ctrl+W, Save Web Page, writes the page where its dialog is told. Anywhere else on the
        // page Ctrl+Z shows its printed page in the preview, and Ctrl+V is View Source.
        const QString copy = run.path() + "/copy.html";
        run.key(main, "ctrl+w");
        VERIFY_WINDOW(save, run, waitForWindow(exactly("Save Web Page")));
        run.type(save, copy);
        run.key(save, "Return");
        QTRY_VERIFY_WITH_TIMEOUT(readFile(copy).contains("Freeware</p>"), 15000);
        run.click(main, kBlankPage);
        run.key(main, "ctrl+z");
        VERIFY_WINDOW(preview, run, waitForWindow(exactly("Print Preview")));
        QTest::qWait(3000);
        QVERIFY(ProgramRun::countPixels(run.screenshot("input-print-preview"),
                                        ProgramRun::geometry(preview),
                                        [](QColor c) { return c.lightness() > 250; })
                > 20000);
        run.key(preview, "Escape");
        QVERIFY(run.waitForNoWindow(exactly("Print Preview")));
        run.key(main, "ctrl+v");
        QVERIFY(titleIs("view-source:" + server.url("/e.html").mid(7)));

        // The address box, clicked and typed into. "list" opens its list with the mouse and
        // picks the first address with the keys; "/b" would be completed to "/b.html" from the
        // list if anything completed silently.
        // page: the title the main window then shows; request: the path asked for.
        // clang-format off
        const struct { const char *name; QString typed; const char *key; QString page, request; } cases[] = {
            {"Return",        server.url("/b.html"),          "Return",   "Page B", "/b.html"},
            {"keypad Enter",  server.url("/c.html"),          "KP_Enter", "Page C", "/c.html"},
            {"no scheme",     server.url("/d.html").mid(7),   "Return",   "Page D", "/d.html"},
            {"no completion", server.url("/b"),               "Return",   "Short B", "/b"},
            {"list",          QString(),                      "Home Return", "Page E", QString()},
            {"BBC",           "BBC",                          "Return",   "bbc", QString()},
            {"redirect",      server.url("/moved"),           "Return",   "Landed page", "/landed.html"},
        };
        // clang-format on
        for (const auto &c : cases) {
            const qsizetype asked = server.requests().size();
            if (c.typed.isEmpty()) {
                run.click(main, kAddressArrow);
            } else {
                selectAddress();
                run.type(main, c.typed);
            }
            // The open list has the keyboard; focusing the main window would close it.
            run.key(c.typed.isEmpty() ? QString() : main, c.key);
            QVERIFY2(titleIs(c.page),
                     qPrintable(c.name + (" shows " + ProgramRun::windowTitle(main))));
            const QStringList requests = server.requests().mid(asked);
            QVERIFY2(c.request.isEmpty() ? !requests.contains("/b.html")
                                         : requests.contains(c.request),
                     qPrintable(c.name + (": " + requests.join(' '))));
        }
        // F5 asks for where the redirect landed, which only the engine knows.
        run.key(main, "F5");
        QTRY_COMPARE_WITH_TIMEOUT(server.requests().count("/landed.html"), 2, 15000);
        QCOMPARE(server.requests().count("/moved"), 1);

        // "keywords": the keyword list, and nothing navigated.
        const qsizetype asked = server.requests().size();
        selectAddress();
        run.type(main, "keywords");
        run.key(main, "Return");
        QVERIFY(!run.waitForWindow(exactly("Scoutwell Keywords")).isEmpty());
        QTest::qWait(1000);
        QCOMPARE(ProgramRun::windowTitle(main), mainTitle("Landed page"));
        QCOMPARE(server.requests().size(), asked);

        // Find Freeware and Find on the web: a site picked from the list with the mouse (the
        // right end of its box opens it), a keyword of three words, SEARCH!; the address box
        // then holds the search address.
        const QString keyword = QStringLiteral("free zip tool");
        const QString tucows = "/search?search=" + keyword
            + "&platform_id=7%2C1565%2C1584%2C1570%2C1571%2C1725&language_id=1&type=exactany"
              "&site_detail_id=653&ref=";
        // arrowLeft: the list box's right end in twips; item of items: the row to pick.
        // clang-format off
        const struct { const char *key, *title; int arrowLeft, item, items; QString address; } finds[] = {
            {"F2", "Scoutwell Search Engine", 1260 + 3540, 7, 9, hosts::Tucows + tucows},
            {"F3", "Find on the web",         240 + 4560,  4, 6, hosts::Google + ("/search?hl=en&ie=UTF-8&oe=UTF-8&q=" + keyword)},
        };
        // clang-format on
        for (const auto &f : finds) {
            run.key(main, f.key);
            VERIFY_WINDOW(window, run, waitForWindow(exactly(f.title)));
            run.click(window, QPoint(Twips(f.arrowLeft) - 8, Twips(210 + 172)));
            // The open list has no title of its own: the window system shows the application's.
            VERIFY_WINDOW(list, run, waitForWindow(exactly("ScoutwellV3")));
            const QRect rows = ProgramRun::geometry(list).adjusted(1, 1, -1, -1);
            run.click(
                list,
                QPoint(rows.width() / 2, 1 + rows.height() * (2 * f.item + 1) / (2 * f.items)));
            run.click(window, QPoint(Twips(1260 + 3540 / 2), Twips(675 + 345 / 2)));
            run.type(window, keyword);
            run.click(window, QPoint(Twips(3600 + 1200 / 2), Twips(1200 + 375 / 2)));
            QVERIFY(QTest::qWaitFor(
                [&] { return ProgramRun::windowTitle(main).contains(QUrl(f.address).host()); },
                15000));
            // The secure form is tried first and its fallback puts the plain address back
            // in the box: copy again until the box holds the address the search opened.
            const bool copied = QTest::qWaitFor(
                [&] {
                    selectAddress();
                    run.key(main, "ctrl+c");
                    return QTest::qWaitFor([&] { return ProgramRun::clipboard() == f.address; },
                                           1000);
                },
                20000);
            QVERIFY2(copied, qPrintable(ProgramRun::clipboard() + " is not " + f.address));
        }

        // Favourites > Go to keyword ..., chosen with the mouse and the menu's keys; Enter in its
        // box tries the word as GO! does, and the window closes after the answer.
        run.click(main, QPoint(135, 8));
        run.key(QString(), "Down Down Return");
        VERIFY_WINDOW(goTo, run, waitForWindow(exactly("Go to keyword ...")));
        run.type(goTo, "nokeyword");
        run.key(goTo, "Return");
        VERIFY_WINDOW(error, run, waitForWindow(exactly("Keyword Error")));
        run.key(error, "Return");
        QVERIFY(run.waitForNoWindow(exactly("Go to keyword ...")));

        // Out of the address box, which keeps Ctrl+E for its own end-of-line.
        run.click(main, kBlankPage);
        QVERIFY(run.exit(main));
    }
};

QTEST_MAIN(TestE2EInput)
#include "tst_e2e_input.moc"
