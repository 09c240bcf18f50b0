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
    QString message = {}; // "title: text" of the one message box, if any
};

Q_DECLARE_METATYPE(Search)
Q_DECLARE_METATYPE(KeywordCase)

namespace {
// The address a row's search must open: the keyword joined in exactly as typed.
template<typename Row> QString searchAddress(const Row &r, const QString &keyword)
{
    return QString::fromUtf8(r.host) + QString::fromUtf8(r.prefix) + keyword
        + QString::fromUtf8(r.suffix);
}
} // namespace

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
        for (const SiteSearchRow &r : SiteSearchTable) {
            const QString kw = keywords[i++ % 3];
            QTest::addRow("%s, %s", r.name, qPrintable(kw))
                << Search {"FFw", r.name, kw, searchAddress(r, kw)};
        }
        for (const EngineRow &r : EngineTable) {
            const QString kw = keywords[i++ % 3];
            QTest::addRow("%s, %s", r.name, qPrintable(kw))
                << Search {"TFot", r.name, kw, searchAddress(r, kw)};
        }
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
        MDIForm1 *main = Forms::get<MDIForm1>();
        QAction *item = c.window == QLatin1String("FFw") ? main->TFFw : main->TFotw;
        item->trigger(); // opens the window from its Tools menu item
        QWidget *w
            = item == main->TFFw ? static_cast<QWidget *>(Forms::get<FFw>()) : Forms::get<TFot>();
        auto *box = w->findChild<QComboBox *>();
        auto *keyword = w->findChild<QLineEdit *>("txtKeyword");
        QCOMPARE(box->currentText(), item == main->TFFw ? FFw::SitePrompt() : TFot::EnginePrompt());
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

    void keyword_data()
    {
        QTest::addColumn<KeywordCase>("c");
        const QString egg
            = "You've found the easter egg: This program is dedicated to the freeware "
              "world and all that it resembles.\n\n\u00a9 2000-2003 Kestrelmoor Works. "
              "All rights reserved.";
        const QString error = "Keyword Error: Invalid keyword, please check and try again";
        // clang-format off
        QList<KeywordCase> rows = {
            {"box",   "enter", "BBC",             "BBC"},
            {"box",   "enter", " bbc",            " bbc"},
            {"box",   "enter", "www.example.org", "www.example.org"},
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
            for (const QString &text : QStringList {Trigger, "BBC", "bbc ", "", "www.example.org"})
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
        QCOMPARE(env.boxes.size(), c.message.isEmpty() ? 0 : 1);
        if (!c.message.isEmpty())
            QCOMPARE(env.boxes[0].title + ": " + env.boxes[0].prompt, c.message);
        // The go-to window closes after every attempt, whatever its outcome, but stays open for the
        // list; the key itself never adds to the address list (only a completed download does).
        QCOMPARE(Forms::isLoaded<frmGoToKeyword>(), c.how == "list");
        QCOMPARE(main->Combo1->count(), 0);
    }

    // One paragraph per keyword, sorted, the hidden trigger left out: the keyword bold in
    // Verdana, " - ", its description; an empty paragraph between entries.
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
            QVERIFY(!b.next().isValid() || b.next().text().isEmpty());
            const QTextFragment first = b.begin().fragment();
            const QTextCharFormat format = first.charFormat();
            QVERIFY(format.fontWeight() == QFont::Bold
                    && format.fontFamilies().toStringList().contains("Verdana"));
            QVERIFY2(b.text().startsWith(first.text() + " - ")
                         && b.text().size() > first.text().size() + 10
                         && (++b.begin()).fragment().charFormat().fontWeight() != QFont::Bold,
                     qPrintable(b.text()));
            listed << first.text();
        }
        QCOMPARE(listed, expected);
    }
};

QTEST_MAIN(TestFindWindows)
#include "tst_findwindows.moc"
