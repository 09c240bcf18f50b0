#include "FakeWebBrowser.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/Hosts.h"
#include "app/MDIForm1.h"
#include "find/FFw.h"
#include "find/KeywordTable.h"
#include "find/TFot.h"
#include "find/frmGoToKeyword.h"
#include "find/frmKeywords.h"
#include "platform/ClickLabel.h"
#include "platform/Settings.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

// The finding windows and keywords, driven as a person would, with the fake browser
// recording where they send it.
class TestFindWindows : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void search_data();
    void search();
    void keyword_data();
    void keyword();
    void controls_data();
    void controls();
    void keywordList();
};

const QString Trigger = QString::fromUtf8("k\u00a7");

struct Search
{
    QString window, entry, keyword, address; // an empty address: no navigation
};

// Every site keyword with the whole address it must open: host, then path.
const char *const SiteKeywords[][3] = {{"dd", hosts::ParasiteInfo, "/parasite/"},
                                       {"bbc", hosts::BBC, ""},
                                       {"drivers", hosts::DriverGuide, ""},
                                       {"plume", hosts::PersonalSite, ""},
                                       {"hosting", hosts::Inspiratech, ""},
                                       {"fa", hosts::FreewareArena, ""},
                                       {"fh", hosts::FreewareHome, ""},
                                       {"qv", hosts::MakerFanSite, ""},
                                       {"news", hosts::BBCNews, "/"},
                                       {"pc support", hosts::ComputerHope, ""},
                                       {"ql", hosts::QuantumIllusions, "/"},
                                       {"senior", hosts::Seniority, ""},
                                       {"submit", hosts::Maker, "/main_content/sitesubmit.asp"},
                                       {"support", hosts::Maker, "/support"},
                                       {"tcpa", hosts::AgainstTcpa, ""},
                                       {"tech news", hosts::TheRegister, ""},
                                       {"translate", hosts::FreeTranslation, ""},
                                       {"update", hosts::Maker, "/support"},
                                       {"wg", hosts::WebGrid, ""},
                                       {"zp2", hosts::ZeroPlus2, "/index.html"}};

struct KeywordCase
{
    // The address "box" (by "enter", "click" on GO! or "tab") or the "go-to" window (by "enter",
    // "click" on GO! or on the Keyword "list" picture).
    QString where, how;
    QString text, address; // an empty address: no navigation
    QString message = {}; // "title: text" of the one message box, if any
    bool listShown = false;
};

Q_DECLARE_METATYPE(Search)
Q_DECLARE_METATYPE(KeywordCase)

void TestFindWindows::search_data()
{
    QTest::addColumn<Search>("c"); // the entry is picked when listed, typed otherwise

    const char *cnet = "/3120-20-0.html?qt=@&tg=dl-2001";
    const struct
    {
        const char *window, *entry, *host, *path; // '@' stands for the keyword
    } rows[]
        = {{"FFw", "Freeware Arena", hosts::FreewareArena,
            "/PHPNuke/modules.php?name=Downloads&d_op=search&query=@"},
           {"FFw", "PCAnswers", hosts::PCAnswers,
            "/downloads/default.asp?pagetypeid=3&searchstring=@&filtersubsectionname=all"
            "&filtersectionname=downloads&filtersubsubsectionname=all"},
           {"FFw", "File Transit", hosts::FileTransit, "/search/search.php?q=@"},
           {"FFw", "Jumbo", hosts::JumboSearch,
            "/#?documentID=9204300&referer=#&IC_QueryDatabase=#&squery=@"}, // '#': the site name
           {"FFw", "Tucows", hosts::Tucows,
            "/search?search=@&platform_id=7%2C1565%2C1584%2C1570%2C1571%2C1725&language_id=1"
            "&type=exactany&site_detail_id=653&ref="},
           {"FFw", "WinFiles", hosts::CnetDownloads, cnet},
           {"FFw", "Download.com", hosts::CnetDownloads, cnet},
           {"FFw", "CNet", hosts::CnetDownloads, cnet},
           {"FFw", "Freeware World Team", hosts::FreewareWorld,
            "/FreewareWorld/links.php?search=@&la=en"},
           {"TFot", "AOL", hosts::AolSearch,
            "/dirsearch.adp?start=&from=topsearchbox.%2Findex.adp&query=@"},
           {"TFot", "Ask Jeeves", hosts::AskJeeves, "/main/askjeeves.asp?ask=@&o=0"},
           {"TFot", "Altavista", hosts::AltaVistaUK, "/q?pg=q&q=@&kl=XX&what=web"},
           {"TFot", "Yahoo", hosts::YahooSearch, "/bin/search?p=@"},
           {"TFot", "Google", hosts::Google, "/search?hl=en&ie=UTF-8&oe=UTF-8&q=@"},
           {"TFot", "DogPile", hosts::Dogpile,
            "/_1_QX4N7PW2RT9LB__info.dogpl/dog/results?otmpl=dog/webresults.htm&qcat=web&qkw=@"
            "&start=&ver=20314"}};
    for (const auto &r : rows) {
        for (const QString kw : {"zip tools", "zip&unzip", "  two  "}) {
            QString a = *r.host ? r.host + QString::fromUtf8(r.path) : QString();
            a.replace('#', hosts::JumboSiteName).replace('@', kw);
            QTest::addRow("%s, %s", r.entry, qPrintable(kw)) << Search {r.window, r.entry, kw, a};
        }
    }
    // No site or engine: nothing happens, but for the engine prompt's one message.
    for (const QString e : {"Freeware Site", "tucows", "Tucows ", "Tuc"})
        QTest::addRow("'%s'", qPrintable(e)) << Search {"FFw", e, "zip", ""};
    for (const QString e : {"Search Engine", "google", " Google", "Goo"})
        QTest::addRow("'%s'", qPrintable(e)) << Search {"TFot", e, "zip", ""};
}

void TestFindWindows::search()
{
    QFETCH(Search, c);
    TestEnv env;
    MDIForm1 *main = Forms::get<MDIForm1>();
    QAction *item = c.window == QLatin1String("FFw") ? main->TFFw : main->TFotw;
    QCOMPARE(item->shortcut(), QKeySequence(item == main->TFFw ? Qt::Key_F2 : Qt::Key_F3));
    item->trigger(); // opens the window from its Tools menu item
    QWidget *w
        = item == main->TFFw ? static_cast<QWidget *>(Forms::get<FFw>()) : Forms::get<TFot>();
    auto *box = w->findChild<QComboBox *>();
    auto *keyword = w->findChild<QLineEdit *>("txtKeyword");
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

    QCOMPARE(browser->navigations, c.address.isEmpty() ? QStringList() : QStringList {c.address});
    // Every search puts its window away, but for AOL's.
    QCOMPARE(w->windowState().testFlag(Qt::WindowMinimized),
             !c.address.isEmpty() && c.entry != QLatin1String("AOL"));
    const bool message = c.entry == TFot::EnginePrompt();
    QCOMPARE(env.boxes.size(), message ? 1 : 0);
    if (message)
        QCOMPARE(env.boxes[0].prompt,
                 "No search engine selected\n\nPlease choose a search engine and try again");
    // Never closed (though put away): the choice and keyword wait for the next search.
    QVERIFY(w->isVisible());
    QCOMPARE(box->currentText(), c.entry);
    QCOMPARE(keyword->text(), c.keyword);
}

void TestFindWindows::keyword_data()
{
    QTest::addColumn<KeywordCase>("c");
    const QString egg = "You've found the easter egg: This program is dedicated to the freeware "
                        "world and all that it resembles.\n\n\u00a9 2000-2003 Kestrelmoor Works. "
                        "All rights reserved.";
    const QString error = "Keyword Error: Invalid keyword, please check and try again";
    QList<KeywordCase> rows = {{"box", "enter", "BBC", "BBC"},
                               {"box", "enter", " bbc", " bbc"},
                               {"box", "enter", "www.example.org", "www.example.org"},
                               {"box", "enter", "keywords", "", "", true},
                               {"box", "enter", Trigger, "", egg},
                               {"box", "click", "drivers", hosts::DriverGuide},
                               {"box", "tab", "bbc", ""}};
    for (const auto &k : SiteKeywords)
        rows.append({"box", "enter", k[0], QString::fromUtf8(k[1]) + k[2]});
    // Enter in the go-to box must behave exactly as a click on GO!, so each case runs both ways.
    for (const QString how : {"enter", "click"}) {
        for (const auto &k : SiteKeywords)
            rows.append({"go-to", how, k[0], QString::fromUtf8(k[1]) + k[2]});
        rows.append({"go-to", how, "keywords", "", "", true});
        for (const QString &text : QStringList {Trigger, "BBC", "bbc ", "", "www.example.org"})
            rows.append({"go-to", how, text, "", error});
    }
    rows.append({"go-to", "list", "bbc", "", "", true});
    for (const KeywordCase &c : rows)
        QTest::addRow("%s, %s, '%s'", qPrintable(c.where), qPrintable(c.how), qPrintable(c.text))
            << c;
}

void TestFindWindows::keyword()
{
    QFETCH(KeywordCase, c);
    TestEnv env;
    platform::SaveSetting(QStringLiteral("GoBtn"), QStringLiteral("1"));
    MDIForm1 *main = Forms::get<MDIForm1>();
    FakeWebBrowser *browser = FakeWebBrowser::last();
    browser->navigations.clear();
    if (c.where == QLatin1String("box")) {
        main->Combo1->setEditText(c.text);
        if (c.how == QLatin1String("click"))
            QTest::mouseClick(main->btnGo, Qt::LeftButton);
        else
            QTest::keyClick(main->Combo1, c.how == "enter" ? Qt::Key_Return : Qt::Key_Tab);
    } else {
        main->mnuFKeywords->trigger();
        frmGoToKeyword *w = Forms::get<frmGoToKeyword>();
        QVERIFY(w->isVisible());
        w->txtGTKeyword->setText(c.text);
        if (c.how == QLatin1String("enter"))
            QTest::keyClick(w->txtGTKeyword, Qt::Key_Return);
        else
            QTest::mouseClick(c.how == "click" ? w->Image3 : w->Image4, Qt::LeftButton);
    }

    QCOMPARE(browser->navigations, c.address.isEmpty() ? QStringList() : QStringList {c.address});
    QCOMPARE(Forms::isLoaded<frmKeywords>(), c.listShown);
    QCOMPARE(env.boxes.size(), c.message.isEmpty() ? 0 : 1);
    if (!c.message.isEmpty())
        QCOMPARE(env.boxes[0].title + ": " + env.boxes[0].prompt, c.message);
    // The go-to window closes after every attempt, whatever its outcome, but stays open for the
    // list; the key itself never adds to the address list (only a completed download does).
    QCOMPARE(Forms::isLoaded<frmGoToKeyword>(), c.how == "list");
    QCOMPARE(main->Combo1->count(), 0);
}

void TestFindWindows::controls_data()
{
    QTest::addColumn<QString>("title");
    // "name=what a person sees; ...": a label's text (or a picture), a list's text then its
    // entries, the kind of any other control.
    QTest::addColumn<QString>("controls");

    QTest::newRow("FFw") << "Scoutwell Search Engine"
                         << "cboFS=Freeware Site|CNet|Download.com|File Transit|Freeware Arena|"
                            "Freeware World Team|Jumbo|PCAnswers|Tucows|WinFiles; "
                            "txtKeyword=QLineEdit; Label1=Keyword:; Label3=Site:; Label5=SEARCH!";
    QTest::newRow("TFot") << "Find on the web"
                          << "cboSE=Search Engine|Altavista|AOL|Ask Jeeves|DogPile|Google|Yahoo; "
                             "txtKeyword=QLineEdit; Label1=Keyword:; Label5=SEARCH!";
    QTest::newRow("frmGoToKeyword")
        << "Go to keyword ..."
        << "Label1=Please type a valid keyord in the box below then press Go; "
           "Label2=Enter word(s); Label3=GO!; Label4=Keyword List; txtGTKeyword=QLineEdit; "
           "Image1=<picture>; Image2=<picture>; Image3=<picture>; Image4=<picture>";
    QTest::newRow("frmKeywords") << "Scoutwell Keywords"
                                 << "txtKWList=QTextEdit; Text1=QPlainTextEdit";
}

void TestFindWindows::controls()
{
    QFETCH(QString, title);
    QFETCH(QString, controls);
    TestEnv env;
    const QHash<QString, QWidget *> windows = {{"FFw", Forms::get<FFw>()},
                                               {"TFot", Forms::get<TFot>()},
                                               {"frmGoToKeyword", Forms::get<frmGoToKeyword>()},
                                               {"frmKeywords", Forms::get<frmKeywords>()}};
    QWidget *w = windows.value(QTest::currentDataTag());
    QCOMPARE(w->windowTitle(), title);
    for (const QString &control : controls.split("; ")) {
        auto *c = w->findChild<QWidget *>(control.section('=', 0, 0));
        QVERIFY2(c, qPrintable(control));
        QString seen = c->metaObject()->className();
        if (auto *label = qobject_cast<QLabel *>(c))
            seen = label->pixmap().isNull() ? label->text() : QStringLiteral("<picture>");
        if (auto *box = qobject_cast<QComboBox *>(c)) {
            seen = box->currentText();
            for (int i = 0; i < box->count(); ++i)
                seen += '|' + box->itemText(i);
        }
        QCOMPARE(seen, control.section('=', 1));
    }
}

void TestFindWindows::keywordList()
{
    TestEnv env;
    frmKeywords *w = Forms::get<frmKeywords>();
    QStringList expected;
    for (const KeywordRow &row : KeywordTable)
        expected << KeywordText(row);
    expected.removeAll(Trigger);
    expected.sort();

    // One paragraph per keyword: the keyword bold in Verdana, " - ", its description; an empty
    // paragraph between entries.
    QStringList listed;
    int index = 0;
    for (QTextBlock b = w->txtKWList->document()->begin(); b.isValid(); b = b.next(), ++index) {
        QVERIFY2(b.text().isEmpty() == (index % 2 == 1), qPrintable(b.text()));
        if (index % 2 == 1)
            continue;
        QTextBlock::iterator it = b.begin();
        const QTextCharFormat first = it.fragment().charFormat();
        const QString keyword = it.fragment().text();
        QVERIFY(first.fontWeight() == QFont::Bold
                && first.fontFamilies().toStringList().contains("Verdana"));
        QVERIFY(!(++it).atEnd() && it.fragment().charFormat().fontWeight() != QFont::Bold);
        QVERIFY2(b.text().startsWith(keyword + " - ") && b.text().size() > keyword.size() + 10,
                 qPrintable(keyword));
        listed << keyword;
    }
    QCOMPARE(listed, expected);

    const QStringList help = w->Text1->toPlainText().split('\n');
    for (const char *question : {"What keywords can I use?", "Why include the keyword feature?"})
        QVERIFY2(help.contains(QLatin1String(question)), question);
    QCOMPARE(help.filter(QRegularExpression("\\?$")).size(), 3);
}

QTEST_MAIN(TestFindWindows)
#include "tst_findwindows.moc"
