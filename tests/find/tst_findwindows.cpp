#include "FakeWebBrowser.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "find/EngineTable.h"
#include "find/FFw.h"
#include "find/KeywordTable.h"
#include "find/SiteSearchTable.h"
#include "find/TFot.h"
#include "find/frmGoToKeyword.h"
#include "find/frmKeywords.h"
#include "platform/ClickLabel.h"
#include "platform/Settings.h"

#include <QtTest>
#include <QtWidgets>

const QString Trigger = QString::fromUtf8("k\u00a7");

struct Search
{
    QString window, entry, keyword, address; // an empty address: no navigation
};

struct KeywordCase
{
    // The address "box" (by "enter", "click" on GO! or "tab") or the "go-to" window (by "enter",
    // "click" on GO! or on the Keyword "list" picture).
    QString where, how;
    QString text, address; // an empty address: no navigation
    QString message = {}; // the title of the one message box, if any
};

Q_DECLARE_METATYPE(Search)
Q_DECLARE_METATYPE(KeywordCase)

// The finding windows and keywords, driven as a person would, with the fake browser
// recording where they send it.
class TestFindWindows : public QObject
{
    Q_OBJECT
private Q_SLOTS:
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
        for (const SiteSearchRow &r : SiteSearchTable)
            add("FFw", r);
        for (const EngineRow &r : EngineTable)
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
        // "keywords" and the list picture show the keyword list. Every site keyword in the address
        // box and in the go-to window, where Enter must behave exactly as a click on GO!: the site
        // keywords take turns, the rest runs both ways.
        int i = 0;
        for (const KeywordRow &k : KeywordTable) {
            if (k.target != KeywordTarget::Site)
                continue;
            const QString address = QString::fromUtf8(k.host) + QString::fromUtf8(k.path);
            rows.append({"box", "enter", KeywordText(k), address});
            rows.append({"go-to", i++ % 2 ? "click" : "enter", KeywordText(k), address});
        }
        for (const QString how : {"enter", "click"}) {
            rows.append({"go-to", how, "keywords", ""});
            for (const QString &text : QStringList {Trigger, "BBC", "bbc ", ""})
                rows.append({"go-to", how, text, "", error});
        }
        for (const KeywordCase &c : rows)
            QTest::addRow("%s, %s, '%s'", qPrintable(c.where), qPrintable(c.how),
                          qPrintable(c.text))
                << c;
    }

    void keyword()
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

        QCOMPARE(browser->navigations,
                 c.address.isEmpty() ? QStringList() : QStringList {c.address});
        QCOMPARE(Forms::isLoaded<frmKeywords>(), c.text == "keywords" || c.how == "list");
        QCOMPARE(env.boxes.size() == 1 ? env.boxes[0].title : QString(), c.message);
        // The go-to window closes after every attempt, whatever its outcome, but stays open for the
        // list; the key itself never adds to the address list (only a completed download does).
        QCOMPARE(Forms::isLoaded<frmGoToKeyword>(), c.how == "list");
        QCOMPARE(main->Combo1->count(), 0);
    }

    // One paragraph per keyword, sorted, the hidden trigger left out: the keyword in bold, " - ",
    // its description; an empty paragraph between entries.
    void keywordList()
    {
        TestEnv env;
        QStringList expected, listed;
        for (const KeywordRow &row : KeywordTable)
            expected << KeywordText(row);
        expected.removeAll(Trigger);
        expected.sort();
        QTextBlock b = Forms::get<frmKeywords>()->txtKWList->document()->begin();
        for (; b.isValid(); b = b.next().next()) {
            const QTextFragment first = b.begin().fragment();
            QVERIFY2(first.charFormat().fontWeight() == QFont::Bold
                         && b.text().startsWith(first.text() + " - ")
                         && (++b.begin()).fragment().charFormat().fontWeight() != QFont::Bold
                         && (!b.next().isValid() || b.next().text().isEmpty()),
                     qPrintable(b.text()));
            listed << first.text();
        }
        QCOMPARE(listed, expected);
    }
};

QTEST_MAIN(TestFindWindows)
#include "tst_findwindows.moc"
