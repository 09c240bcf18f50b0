#include "FakeWebBrowser.h"
#include "TestEnv.h"
#include "app/App.h"
#include "app/Forms.h"
#include "app/Hosts.h"
#include "app/MDIForm1.h"
#include "browse/Clock.h"
#include "browse/Form1.h"
#include "browse/Ope.h"
#include "browse/SiteLog.h"
#include "compat/FileLists.h"
#include "compat/Shell.h"
#include "compat/Twips.h"
#include "find/EngineTable.h"
#include "find/FFw.h"
#include "find/KeywordDecision.h"
#include "find/KeywordTable.h"
#include "find/SiteSearchTable.h"
#include "find/TFot.h"
#include "find/frmGoToKeyword.h"
#include "find/frmKeywords.h"
#include "security/Security2.h"
#include "settings/frmSettings.h"
#include "widgets/ClickLabel.h"

#include <QtTest>
#include <QtWidgets>

#include <unistd.h>

// A command of the main window: its key (if any: also through its key and toolbar button) and
// menu item, where the browser stands (its LocationURL), what the command asks of the browser
// control and of the shell (one line each), "key=value" saved before the start, what is typed
// into the settings window's home field but not saved, the address box's text, and whether the
// browser window was closed before (the command then opens a new one).
struct Cmd
{
    QKeySequence key;
    QString item, location, effect, stored = {}, typed = {}, box = {};
    bool closed = false;
};

enum Spoil { Fine, Dangling, ReadOnly }; // how the site log is made unwritable

// "Log" before the browser window loads ("-" absent) and once its load has ticked the box, what
// the address box shows, the box as the user then leaves it, the hour (an evening hour shows a
// 12-hour clock), and the log file ("-" for none).
struct Log
{
    QString stored, logAfter, typed;
    bool logOn;
    Spoil spoil;
    int hour;
    QByteArray log;
};

const QString Trigger = QString::fromUtf8("k\u00a7");

struct Search
{
    QString window, entry, keyword, address; // an empty address: no navigation
};

// The address "box" (by "enter", "click" on GO! or "tab") or the "go-to" window (by "enter",
// "click" on GO! or on the Keyword "list" picture); an empty address: no navigation; the title
// of the one message box, if any.
struct KeywordCase
{
    QString where, how, text, address, message = {};
};

Q_DECLARE_METATYPE(Cmd)
Q_DECLARE_METATYPE(Search)
Q_DECLARE_METATYPE(KeywordCase)
Q_DECLARE_METATYPE(Log)

// Browsing through the main window: the navigation, page and help commands, the site log, and
// the finding windows and keywords, with the fake browser recording where they send it.
class TestBrowse : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { browse::SetClock({}); }
    // The main window's commands and what they ask of the browser control and of the shell: the
    // six navigation commands through their toolbar buttons and the hidden Navigation menu's
    // items and keys, the page and help commands through their menu items.
    void command_data()
    {
        QTest::addColumn<QString>("via"); // "button", "menu" or "shortcut"
        QTest::addColumn<Cmd>("c");
        const QString landed = "http://127.0.0.1:8080/landed.html",
                      a = "http://127.0.0.1:8000/a.html";
        const QKeySequence back = Qt::CTRL | Qt::Key_B, home = Qt::CTRL | Qt::Key_H;
        // Send Link: what the mail program reads back as the body is the page's address whole.
        const QString mail = "shell open|mailto:friend@recipient.example?subject=I thought you "
                             "might find this interesting&body=";
        // clang-format off
        QList<QPair<QString, Cmd>> rows = {
            {"Back", {back, "mnuBack", landed, "back"}},
            {"Forward", {Qt::CTRL | Qt::Key_F, "mnuForward", landed, "forward"}},
            {"Stop", {Qt::CTRL | Qt::Key_S, "mnuStop", landed, "stop"}},
            {"Back, browser closed", {back, "mnuBack", "", "go start.example\nback", "Start Page=start.example", "", "", true}},
            {"Refresh after a redirect", {Qt::Key_F5, "mnuRefresh", landed, "go " + landed}},
            {"Refresh with nothing shown", {Qt::Key_F5, "mnuRefresh", "", ""}},
            {"Home, typed (a bare host) but not saved", {home, "mnuHome", landed, "go typed.example", "Home Page=saved.example", "typed.example"}},
            {"Search, default", {Qt::Key_F12, "mnuSearch", landed, "go " + QLatin1String(hosts::Dogpile)}},
            {"Search emptied", {Qt::Key_F12, "mnuSearch", landed, "", "Search-Engine="}},
            {"View Source: the page", {{}, "FViewSource", a, "go view-source:" + a, "", "", "typed"}},
            {"View Source: no text", {{}, "FViewSource", a, ""}},
            {"Print", {{}, "FPrint", a, "exec 6,0"}},
            {"Help", {{}, "HHel", "", "shell open|PROGRAM/Help||1"}},
            {"Suggestions", {{}, "HSuggestions", "", "go mailto:suggestions@kestrelmoor.example?subject=Scoutwell Suggestion"}},
        };
        for (const QString p : {"http://a.example/s?q=1&b=2&c=x=y#top", "about:blank", "http://a.example/a%20b/c d?e=1+2%26", "http://a.example/stra\u00dfe?q=\u00e9t\u00e9"})
            rows.append({"Send Link, " + p, {{}, "mnuTSendLink", p, mail + p + "||1"}});
        // clang-format on
        for (const char *via : {"button", "menu", "shortcut"})
            for (const auto &[name, c] : rows)
                if (via == QByteArray("menu") || !c.key.isEmpty())
                    QTest::addRow("%s, %s", qPrintable(name), via) << QString(via) << c;
    }
    void command()
    {
        QFETCH(QString, via);
        QFETCH(Cmd, c);
        TestEnv env;
        const QString key = c.stored.section('=', 0, 0), value = c.stored.section('=', 1);
        if (!c.stored.isEmpty())
            compat::SaveSetting(key, value);
        QStringList seen;
        compat::SetShellHook([&seen](const compat::ShellRequest &r) {
            QString file = r.file;
            if (file.startsWith("mailto:")) // its body as the mail program decodes it
                file = file.section("&body=", 0, 0) + "&body="
                    + QUrlQuery(QUrl(file, QUrl::TolerantMode))
                          .queryItemValue("body", QUrl::FullyDecoded);
            seen << "shell "
                    + QStringList {r.operation, file, r.parameters, QString::number(r.showCommand)}
                          .join('|');
            return 33;
        });
        MDIForm1 *main = Forms::get<MDIForm1>();
        FakeWebBrowser::last()->navigations.clear();
        FakeWebBrowser::last()->locationUrl = c.location;
        control<QComboBox>(main, "Combo1")->setEditText(c.box);
        if (c.closed)
            Forms::Unload<Form1>();
        // A settings window the user has open disappears after Home and Search.
        frmSettings *settings = Forms::Show<frmSettings>();
        if (!c.typed.isEmpty())
            settings->txtHomePage->setText(c.typed);
        if (via == QLatin1String("shortcut")) {
            main->show();
            main->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(main));
            QTest::keySequence(main, c.key);
        } else if (via == QLatin1String("menu")) {
            main->findChild<QAction *>(c.item)->trigger();
        } else { // Back and Forward wait for the address list to grow; the command does not care
            QToolButton *b = main->findChild<QToolButton *>("btn" + c.item.mid(3));
            b->setEnabled(true);
            QTest::mouseClick(b, Qt::LeftButton);
        }
        compat::SetShellHook({});
        const FakeWebBrowser *b = FakeWebBrowser::last();
        for (const QString &address : b->navigations)
            seen << "go " + address;
        seen += b->calls;
        QCOMPARE(seen.join('\n'), c.effect.replace(QStringLiteral("PROGRAM"), env.programFolder()));
        // Hidden, not unloaded: what the user typed there stays for the next command.
        QVERIFY(Forms::isLoaded<frmSettings>());
        QCOMPARE(settings->isVisible(), c.item != "mnuHome" && c.item != "mnuSearch");
        QVERIFY(env.boxes.isEmpty());
        if (!c.stored.isEmpty()) // a command never saves what it used
            QCOMPARE(compat::GetSetting(key), value);
    }

    // The path rule: folder and file joined by one "/", none doubled at the root folder.
    void open()
    {
        TestEnv env;
        const QString docs = env.programFolder();
        for (const char *name : {"page.htm", "note.emlx", "picture.gif"})
            QVERIFY(putFile(docs + '/' + name, {}));
        // clang-format off
        const QStringList rows[] = { // folder, file, the address opened
            {docs, "page.htm", docs + "/page.htm"},
            {docs, "",         docs + "/"},
            {"/",  "",         "/"},
        };
        // clang-format on
        for (const QStringList &r : rows) {
            Forms::get<MDIForm1>()->FOpen->trigger();
            FakeWebBrowser::last()->navigations.clear();
            Ope *ope = Forms::get<Ope>();
            QVERIFY(ope->Dir1->setPath(docs)); // the list leaves the picture out
            QCOMPARE(ope->File1->names(), (QStringList {"note.emlx", "page.htm"}));
            QVERIFY(ope->Dir1->setPath(r[0]));
            ope->File1->setFileName(r[1]);
            QTest::mouseClick(ope->Command1, Qt::LeftButton);
            QCOMPARE(FakeWebBrowser::last()->navigations, QStringList {r[2]});
            QVERIFY(!Forms::isLoaded<Ope>());
        }
    }

    // Three completions; each line of the site log holds what the box showed before one
    // replaced it.
    void siteLog_data()
    {
        QTest::addColumn<Log>("c");
        const QByteArray m = "\"07/03/04 - 09:05:03 - ", e = "\"07/03/04 - 21:05:03 - ";
        const QByteArray a = "http://a.example/\"\r\n";
        // clang-format off
        QTest::newRow("empty address")    << Log {"0",  "1",      "",              true,  Fine,     9,  m + "\"\r\n" + m + a + m + a};
        QTest::newRow("quote inside")     << Log {"no", "no",     "say \"hi\", ok", true,  Fine,     21, e + "say \"hi\", ok\"\r\n" + e + a + e + a};
        QTest::newRow("box cleared")      << Log {"-",  "absent", "a.example",     false, Fine,     9,  "-"};
        QTest::newRow("dangling link")    << Log {"1",  "1",      "x",             true,  Dangling, 9,  "-"};
        // An installed copy: the line goes to the user's data folder.
        QTest::newRow("read-only folder") << Log {"1",  "1",      "x",             true,  ReadOnly, 9,  m + "x\"\r\n" + m + a + m + a};
        // clang-format on
    }
    void siteLog()
    {
        QFETCH(Log, c);
        TestEnv env;
        if (c.stored != QLatin1String("-"))
            compat::SaveSetting(QStringLiteral("Log"), c.stored);
        browse::SetClock([h = c.hour] { return QDateTime(QDate(2004, 3, 7), QTime(h, 5, 3)); });
        MDIForm1 *main = Forms::Show<MDIForm1>();
        QCOMPARE(compat::GetSetting(QStringLiteral("Log"), QStringLiteral("absent")), c.logAfter);
        Forms::get<Security2>()->Check1->setChecked(c.logOn);
        // Closed with its own buttons: the log follows the box as stored.
        Forms::Unload<Security2>();
        if (c.spoil == Dangling) // the superuser cannot open it either
            QVERIFY(QFile::link(env.path() + QStringLiteral("/gone/sitelog.f"), SiteLogPath()));
        if (c.spoil == ReadOnly) {
            if (::geteuid() == 0)
                QSKIP("the superuser writes into read-only folders");
            QVERIFY(QFile::setPermissions(env.programFolder(), QFile::ReadOwner | QFile::ExeOwner));
        }
        control<QComboBox>(main, "Combo1")->setEditText(c.typed);
        for (const char *url : {"http://a.example/", "http://a.example/", "http://b.example/"})
            FakeWebBrowser::last()->completeLoad(QString::fromLatin1(url));
        QFile file(SiteLogPath());
        QCOMPARE(file.fileName().startsWith(env.path() + QStringLiteral("/data/ScoutwellV3/")),
                 c.spoil == ReadOnly);
        QFile::setPermissions(env.programFolder(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // Browsing goes on whether or not the line could be written.
        QCOMPARE(control<QComboBox>(main, "Combo1")->currentText(),
                 QStringLiteral("http://b.example/"));
        QCOMPARE(QFileInfo(file).isFile() ? readFile(file.fileName()) : "-", c.log);
        // What was visited is its owner's alone: no read or write bits for group and others.
        QCOMPARE(int(file.permissions() & 0x0066), 0);
    }

    void search_data()
    {
        QTest::addColumn<Search>("c"); // the entry is picked when listed, typed otherwise
        // Blanks and "&" in a keyword reach the address as typed; each row takes the next keyword.
        const QStringList keywords {"zip tools", "zip&unzip", "  two  "};
        int i = 0;
        const auto add = [&](const char *window, const auto &r) {
            const QString kw = keywords[i++ % 3];
            QTest::addRow("%s, %s", r.name, qPrintable(kw))
                << Search {window, r.name, kw, r.host + (r.prefix + kw) + r.suffix};
        };
        for (const SearchRow &r : SiteSearchTable)
            add("FFw", r);
        for (const SearchRow &r : EngineTable)
            add("TFot", r);
        // No site or engine, nor one completed from the list: nothing happens, but for the engine
        // prompt's one message.
        for (const QString e : {"Freeware Site", "tucows", "Tucows ", "Tuc"})
            QTest::addRow("'%s'", qPrintable(e)) << Search {"FFw", e, "zip", ""};
        for (const QString e : {"Search Engine", "google", " Google", "Goo"})
            QTest::addRow("'%s'", qPrintable(e)) << Search {"TFot", e, "zip", ""};
    }

    void search()
    {
        QFETCH(Search, c);
        TestEnv env;
        const bool ffw = c.window == QLatin1String("FFw");
        MDIForm1 *main = Forms::get<MDIForm1>();
        (ffw ? main->TFFw : main->TFotw)->trigger(); // opens the window from its Tools menu item
        QWidget *w = ffw ? static_cast<QWidget *>(Forms::get<FFw>()) : Forms::get<TFot>();
        auto *box = w->findChild<QComboBox *>();
        auto *keyword = w->findChild<QLineEdit *>("txtKeyword");
        QCOMPARE(box->currentText(), ffw ? FFw::SitePrompt() : TFot::EnginePrompt());
        FakeWebBrowser *browser = FakeWebBrowser::last();
        browser->navigations.clear();
        box->setCurrentIndex(box->findText(c.entry, Qt::MatchExactly | Qt::MatchCaseSensitive));
        if (box->currentIndex() < 0) {
            // Typed into the focused box, where a list could complete it.
            QApplication::setActiveWindow(w);
            box->setFocus();
            box->clearEditText();
            QTest::keyClicks(box, c.entry);
        }
        keyword->setText(c.keyword);
        QTest::keyClick(keyword, Qt::Key_Return); // no Enter handler: only SEARCH! searches
        QTest::mouseClick(w->findChild<QLabel *>("Label5"), Qt::LeftButton);

        QCOMPARE(browser->navigations,
                 c.address.isEmpty() ? QStringList() : QStringList {c.address});
        // Every search puts its window away, but for AOL's.
        QCOMPARE(w->windowState().testFlag(Qt::WindowMinimized),
                 !c.address.isEmpty() && c.entry != QLatin1String("AOL"));
        QCOMPARE(env.boxes.size(), c.entry == TFot::EnginePrompt() ? 1 : 0);
        // Never closed (though put away): the choice and keyword wait for the next search.
        QVERIFY(w->isVisible());
        QCOMPARE(box->currentText(), c.entry);
        QCOMPARE(keyword->text(), c.keyword);
    }

    void keyword_data()
    {
        QTest::addColumn<KeywordCase>("c");
        const QString egg = "You've found the easter egg", error = "Keyword Error";
        // clang-format off
        QList<KeywordCase> rows = {
            {"box",   "enter", "BBC",             "BBC"},
            {"box",   "enter", " bbc",            " bbc"},
            {"box",   "enter", "keywords",        ""},
            {"box",   "enter", Trigger,           "", egg},
            {"box",   "click", "drivers",         hosts::DriverGuide},
            {"box",   "tab",   "bbc",             ""},
            {"go-to", "list",  "bbc",             ""},
        };
        // clang-format on
        // "keywords" and the list picture show the keyword list. A site keyword in the address
        // box and in the go-to window, where Enter must behave exactly as a click on GO! (what
        // every keyword does is keywordDecisions()'s); the rest runs both ways.
        for (const KeywordRow *k : {&KeywordTable[2], &KeywordTable[10], &KeywordTable[21]}) {
            const QString address = QString::fromUtf8(k->host) + QString::fromUtf8(k->path);
            rows.append({"box", "enter", KeywordText(*k), address});
            rows.append({"go-to", "click", KeywordText(*k), address});
            rows.append({"go-to", "enter", KeywordText(*k), address});
        }
        for (const QString how : {"enter", "click"}) {
            rows.append({"go-to", how, "keywords", ""});
            for (const QString &text : QStringList {Trigger, "BBC", "bbc ", ""})
                rows.append({"go-to", how, text, "", error});
        }
        for (const KeywordCase &c : rows)
            QTest::newRow(qPrintable(c.where + ", " + c.how + ", '" + c.text + "'")) << c;
    }

    void keyword()
    {
        QFETCH(KeywordCase, c);
        TestEnv env;
        compat::SaveSetting(QStringLiteral("GoBtn"), QStringLiteral("1"));
        MDIForm1 *main = Forms::get<MDIForm1>();
        FakeWebBrowser *browser = FakeWebBrowser::last();
        browser->navigations.clear();
        if (c.where == QLatin1String("box")) {
            control<QComboBox>(main, "Combo1")->setEditText(c.text);
            if (c.how == QLatin1String("click"))
                QTest::mouseClick(control<QToolButton>(main, "btnGo"), Qt::LeftButton);
            else
                QTest::keyClick(control<QComboBox>(main, "Combo1"),
                                c.how == "enter" ? Qt::Key_Return : Qt::Key_Tab);
        } else {
            main->mnuFKeywords->trigger();
            frmGoToKeyword *w = Forms::get<frmGoToKeyword>();
            w->txtGTKeyword->setText(c.text);
            if (c.how == QLatin1String("enter"))
                QTest::keyClick(w->txtGTKeyword, Qt::Key_Return);
            else
                QTest::mouseClick(c.how == "click" ? w->Image3 : w->Image4, Qt::LeftButton);
        }

        QCOMPARE(browser->navigations,
                 c.address.isEmpty() ? QStringList() : QStringList {c.address});
        QCOMPARE(Forms::isLoaded<frmKeywords>(), c.text == "keywords" || c.how == "list");
        QCOMPARE(env.boxes.size() == 1 ? env.boxes[0].title : QString(), c.message);
        // The go-to window closes after every attempt, whatever its outcome, but stays open for the
        // list; the key itself never adds to the address list (only a completed download does).
        QCOMPARE(Forms::isLoaded<frmGoToKeyword>(), c.how == "list");
        QCOMPARE(control<QComboBox>(main, "Combo1")->count(), 0);
    }

    // What every text does in the address box and in the go-to window: the keyword list, the
    // hidden message (address box only), a site keyword's site, or the text itself (address
    // box) or a refusal (go-to window). Matched exactly: case and blanks count.
    void keywordDecisions()
    {
        using namespace basKeywords;
        using O = KeywordOutcome;
        const auto both = [](const QString &text) {
            const KeywordDecision a = DecideAddressText(text), g = DecideGoToKeyword(text);
            return QStringList {QString::number(int(a.outcome)), a.address,
                                QString::number(int(g.outcome)), g.address}
                .join('|');
        };
        const auto expect = [](O a, const QString &addressA, O g, const QString &addressG) {
            return QStringList {QString::number(int(a)), addressA, QString::number(int(g)),
                                addressG}
                .join('|');
        };
        for (const KeywordRow &k : KeywordTable) {
            const QString text = KeywordText(k);
            const QString site = QString::fromUtf8(k.host) + QString::fromUtf8(k.path);
            const QString wanted = k.target == KeywordTarget::Site
                ? expect(O::Site, site, O::Site, site)
                : k.target == KeywordTarget::KeywordList
                ? expect(O::KeywordList, {}, O::KeywordList, {})
                : expect(O::EasterEgg, {}, O::Invalid, {});
            QCOMPARE(both(text), wanted);
        }
        for (const QString text : {"BBC", " bbc", "bbc ", "", "Keywords", "http://a.example/"})
            QCOMPARE(both(text), expect(O::Address, text, O::Invalid, {}));
    }

    // One paragraph per keyword, sorted, the hidden trigger left out: the keyword, " - ", its
    // description; an empty paragraph between entries.
    void keywordList()
    {
        TestEnv env;
        QStringList expected, listed;
        for (const KeywordRow &row : KeywordTable)
            expected << KeywordText(row);
        expected.removeAll(Trigger);
        expected.sort();
        const QString text = Forms::get<frmKeywords>()->txtKWList->toPlainText();
        for (const QString &entry : text.split(QStringLiteral("\n\n")))
            listed << entry.section(" - ", 0, 0) + (entry.section(" - ", 1).isEmpty() ? "?" : "");
        QCOMPARE(listed, expected);
    }

    // The browser window's load and the way its control's events reach the main window; start()
    // opens the main window on the settings a test saved.
    void progressBarAndResize()
    {
        TestEnv env;
        // clang-format off
        const int rows[][3] = { // progress, maximum, value; -1: a divisor the bar cannot use
            {15000,   10000,   49},  // past the end wraps
            {101,     100,     0},
            {99,      199,     99},  // the divisor truncates
            {50,      99,      -1},
            {3276799, 3276799, 100}, // the largest 16-bit divisor
            {1000,    3276800, -1},
        };
        // clang-format on
        for (const auto &[progress, progressMax, value] : rows)
            QCOMPARE(Form1::ProgressValue(progress, progressMax), value);
        compat::SaveSetting(QStringLiteral("TB"), QStringLiteral("1"));
        start();
        QProgressBar *bar = control<QProgressBar>(main, "ProgressBar1");
        const auto seen = [&] { return QPair {bar->isVisible(), bar->value()}; };

        Q_EMIT web->ProgressChange(2500, 10000);
        QCOMPARE(seen(), QPair(true, 25));
        // A divisor the bar cannot use leaves it as it was.
        Q_EMIT web->ProgressChange(50, 99);
        QCOMPARE(seen(), QPair(true, 25));
        Q_EMIT web->ProgressChange(-1, 10000);
        QCOMPARE(seen(), QPair(false, 0));
        // With "Progress Bar" off a load never shows the bar, though its value still moves.
        control<QAction>(main, "mnuViewProgBar")->trigger();
        Q_EMIT web->ProgressChange(5000, 10000);
        QCOMPARE(seen(), QPair(false, 50));
        // Switching it off does not hide a bar that is showing; the download's end does.
        control<QAction>(main, "mnuViewProgBar")->trigger();
        Q_EMIT web->ProgressChange(6000, 10000);
        control<QAction>(main, "mnuViewProgBar")->trigger();
        QVERIFY(bar->isVisible());
        web->completeLoad(QStringLiteral("http://a.example/"));
        QVERIFY(!bar->isVisible());

        // The control fills the window above the status bar, but for a minimized frame.
        const auto resized = [&](int width, int height) {
            browser->resize(width, height);
            browser->Form_Resize();
            return browser->WebBrowser1->size();
        };
        const QSize first(600, 400 - compat::Twips(250));
        QCOMPARE(resized(600, 400), first);
        main->setWindowState(Qt::WindowMinimized);
        QCOMPARE(resized(500, 300), first);
        // Shorter than the status bar: the control gets no height rather than a negative one.
        main->setWindowState(Qt::WindowNoState);
        QCOMPARE(resized(500, 5), QSize(500, 0));
    }

    void downloadCompleteUpdatesAddressAndCaption()
    {
        TestEnv env;
        start();
        QCOMPARE(browser->windowTitle(), QStringLiteral("Browser"));
        Q_EMIT web->StatusTextChange(QStringLiteral("Opening page"));
        QCOMPARE(browser->StatusBarPanel1->text(), QStringLiteral("Opening page"));

        control<QComboBox>(main, "Combo1")->setEditText(QStringLiteral("typed.example"));
        // One page, two downloads: both go into the list.
        for (int i = 0; i < 2; ++i)
            web->completeLoad(QStringLiteral("http://typed.example/"), QStringLiteral("Typed"));
        QCOMPARE(control<QComboBox>(main, "Combo1")->currentText(),
                 QStringLiteral("http://typed.example/"));
        QCOMPARE(control<QComboBox>(main, "Combo1")->count(), 2);
        QCOMPARE(control<QComboBox>(main, "Combo1")->itemText(1),
                 QStringLiteral("http://typed.example/"));
        QCOMPARE(browser->windowTitle(), QStringLiteral("Typed"));
        QCOMPARE(main->windowTitle(), QStringLiteral("Scoutwell v3.3 - [Typed]"));
        // A page without a title is named by its address.
        web->completeLoad(QStringLiteral("http://untitled.example/"));
        QCOMPARE(browser->windowTitle(), QStringLiteral("http://untitled.example/"));
        // Back and Forward wait for a fourth address in the list, whatever the engine says.
        const auto backAndForward = [&] {
            Q_EMIT web->CommandStateChange(engine::CSC_NAVIGATEBACK, false);
            return control<QToolButton>(main, "btnBack")->isEnabled()
                + control<QToolButton>(main, "btnForward")->isEnabled();
        };
        QCOMPARE(backAndForward(), 0);
        web->completeLoad(QStringLiteral("http://fourth.example/"));
        QCOMPARE(backAndForward(), 2);
    }

    // The start page is passed as stored (a bare host, blanks and all), before the settings
    // window is loaded; once it is, its field is the start page of a browser window the user
    // closed and a command reopens, saved or not (the empty one: the end-to-end start-up run).
    void startPageThenRecreated()
    {
        TestEnv env;
        compat::SaveSetting(QStringLiteral("Home Page"), QStringLiteral("http://home.example/"));
        compat::SaveSetting(QStringLiteral("Start Page"), QStringLiteral(" example.org "));
        start();
        QCOMPARE(web->navigations, QStringList {" example.org "});
        QVERIFY(control<QComboBox>(main, "Combo1")->currentText() == " example.org "
                && control<QComboBox>(main, "Combo1")->count() == 0);
        frmSettings *settings = Forms::get<frmSettings>();
        settings->txtHomePage->setText(QStringLiteral("unsaved edit"));
        settings->txtStartPage->setText(QStringLiteral("http://unsaved.example/"));
        qobject_cast<QMdiSubWindow *>(browser->parentWidget())->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!Forms::isLoaded<Form1>());
        auto *sub = qobject_cast<QMdiSubWindow *>(Forms::get<Form1>()->parentWidget());
        QVERIFY(sub && sub->isMaximized() && sub->widget()->isVisible());
        QCOMPARE(FakeWebBrowser::last()->navigations, QStringList {"http://unsaved.example/"});
        QCOMPARE(main->mdiArea()->subWindowList().size(), 1);
        // The new window's load put the stored values back into the settings fields.
        QCOMPARE(settings->txtHomePage->text(), QStringLiteral("http://home.example/"));
    }

private:
    void start()
    {
        main = Forms::Show<MDIForm1>();
        browser = Forms::get<Form1>();
        web = qobject_cast<FakeWebBrowser *>(browser->WebBrowser1);
    }
    MDIForm1 *main = nullptr;
    Form1 *browser = nullptr;
    FakeWebBrowser *web = nullptr;
};

QTEST_MAIN(TestBrowse)
#include "tst_browse.moc"
