#include "FakeWebBrowser.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/Hosts.h"
#include "app/MDIForm1.h"
#include "find/FFw.h"
#include "find/TFot.h"
#include "platform/ClickLabel.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

// The freeware site search and the web search windows, driven as a person would, with the
// fake browser recording where they send it.
class TestFindWindows : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void siteSearch_data();
    void siteSearch();
    void engineSearch_data();
    void engineSearch();
    void windowsHaveTheirCaptionsAndControls();
    void enterInTheKeywordBoxDoesNotSearch();
    void menuOpensTheWindows();
};

namespace {

const QString TwoWords = QStringLiteral("zip tools");
const QString WithAmpersand = QStringLiteral("zip&unzip");

QString host(const char *h)
{
    return QString::fromUtf8(h);
}

// The main window and its browser loaded; the start-page navigation forgotten.
FakeWebBrowser *freshBrowser()
{
    Forms::get<MDIForm1>();
    FakeWebBrowser *browser = FakeWebBrowser::last();
    browser->navigations.clear();
    return browser;
}

// Picks a list entry as a person would, or types the text when it is no entry.
void chooseOrType(QComboBox *box, const QString &text)
{
    const int index = box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0)
        box->setCurrentIndex(index);
    else
        box->setEditText(text);
}

bool minimized(QWidget *w)
{
    return w->windowState().testFlag(Qt::WindowMinimized);
}

} // namespace

void TestFindWindows::siteSearch_data()
{
    QTest::addColumn<QString>("site");
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QString>("address"); // empty: nothing happens

    const QString cnet
        = host(hosts::CnetDownloads) + QStringLiteral("/3120-20-0.html?qt=%1&tg=dl-2001");
    const QString jumbo = host(hosts::JumboSearch)
        + QStringLiteral("/%2?documentID=9204300&referer=%2&IC_QueryDatabase=%2&squery=%1")
              .arg(QStringLiteral("%1"), host(hosts::JumboSiteName));
    const struct
    {
        const char *site;
        QString pattern;
    } rows[] = {
        {"Freeware Arena",
         host(hosts::FreewareArena)
             + QStringLiteral("/PHPNuke/modules.php?name=Downloads&d_op=search&query=%1")},
        {"PCAnswers",
         host(hosts::PCAnswers)
             + QStringLiteral("/downloads/default.asp?pagetypeid=3&searchstring=%1"
                              "&filtersubsectionname=all&filtersectionname=downloads"
                              "&filtersubsubsectionname=all")},
        {"File Transit", host(hosts::FileTransit) + QStringLiteral("/search/search.php?q=%1")},
        {"Jumbo", jumbo},
        {"Tucows",
         host(hosts::Tucows)
             + QStringLiteral("/search?search=%1&platform_id=7%2C1565%2C1584%2C1570%2C1571"
                              "%2C1725&language_id=1&type=exactany&site_detail_id=653&ref=")},
        {"WinFiles", cnet},
        {"Download.com", cnet},
        {"CNet", cnet},
        {"Freeware World Team",
         host(hosts::FreewareWorld) + QStringLiteral("/FreewareWorld/links.php?search=%1&la=en")},
    };
    for (const auto &r : rows) {
        // arg() would read the "%2C" of the Tucows suffix as a place marker.
        const auto build = [&](const QString &kw) {
            QString a = r.pattern;
            return a.replace(QStringLiteral("%1"), kw);
        };
        QTest::addRow("%s, two words", r.site) << r.site << TwoWords << build(TwoWords);
        QTest::addRow("%s, ampersand", r.site) << r.site << WithAmpersand << build(WithAmpersand);
    }
    QTest::newRow("empty keyword") << "Tucows"
                                   << ""
                                   << host(hosts::Tucows)
            + "/search?search=&platform_id=7%2C1565%2C1584%2C1570%2C1571%2C1725&language_id=1"
              "&type=exactany&site_detail_id=653&ref=";
    QTest::newRow("blanks kept") << "CNet"
                                 << "  two  "
                                 << host(hosts::CnetDownloads)
            + "/3120-20-0.html?qt=  two  &tg=dl-2001";
    QTest::newRow("prompt") << "Freeware Site" << TwoWords << "";
    QTest::newRow("other case") << "tucows" << TwoWords << "";
    QTest::newRow("trailing blank") << "Tucows " << TwoWords << "";
    QTest::newRow("empty site") << "" << TwoWords << "";
}

void TestFindWindows::siteSearch()
{
    QFETCH(QString, site);
    QFETCH(QString, keyword);
    QFETCH(QString, address);
    TestEnv env;
    FakeWebBrowser *browser = freshBrowser();
    FFw *w = Forms::Show<FFw>();
    chooseOrType(w->cboFS, site);
    w->txtKeyword->setText(keyword);
    QTest::mouseClick(w->Label5, Qt::LeftButton);

    QCOMPARE(browser->navigations, address.isEmpty() ? QStringList() : QStringList {address});
    QCOMPARE(minimized(w), !address.isEmpty());
    QVERIFY(env.boxes.isEmpty());
    // Minimized, never closed: the site and keyword wait for the next search.
    QVERIFY(Forms::isLoaded<FFw>());
    QCOMPARE(w->cboFS->currentText(), site);
    QCOMPARE(w->txtKeyword->text(), keyword);
}

void TestFindWindows::engineSearch_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QString>("address"); // empty: no navigation
    QTest::addColumn<bool>("minimizes");
    QTest::addColumn<int>("boxes");

    const struct
    {
        const char *engine;
        QString pattern;
        bool minimizes;
    } rows[] = {
        {"AOL",
         host(hosts::AolSearch)
             + QStringLiteral("/dirsearch.adp?start=&from=topsearchbox.%2Findex.adp&query=@"),
         false},
        {"Ask Jeeves", host(hosts::AskJeeves) + QStringLiteral("/main/askjeeves.asp?ask=@&o=0"),
         true},
        {"Altavista", host(hosts::AltaVistaUK) + QStringLiteral("/q?pg=q&q=@&kl=XX&what=web"),
         true},
        {"Yahoo", host(hosts::YahooSearch) + QStringLiteral("/bin/search?p=@"), true},
        {"Google", host(hosts::Google) + QStringLiteral("/search?hl=en&ie=UTF-8&oe=UTF-8&q=@"),
         true},
        {"DogPile",
         host(hosts::Dogpile)
             + QStringLiteral("/_1_QX4N7PW2RT9LB__info.dogpl/dog/results?otmpl=dog/"
                              "webresults.htm&qcat=web&qkw=@&start=&ver=20314"),
         true},
    };
    for (const auto &r : rows) {
        for (const QString &kw : {TwoWords, WithAmpersand}) {
            QString a = r.pattern;
            QTest::addRow("%s, %s", r.engine, qPrintable(kw))
                << r.engine << kw << a.replace(QLatin1Char('@'), kw) << r.minimizes << 0;
        }
    }
    QTest::newRow("prompt: one message") << "Search Engine" << TwoWords << "" << false << 1;
    QTest::newRow("other case") << "google" << TwoWords << "" << false << 0;
    QTest::newRow("leading blank") << " Google" << TwoWords << "" << false << 0;
}

void TestFindWindows::engineSearch()
{
    QFETCH(QString, engine);
    QFETCH(QString, keyword);
    QFETCH(QString, address);
    QFETCH(bool, minimizes);
    QFETCH(int, boxes);
    TestEnv env;
    FakeWebBrowser *browser = freshBrowser();
    TFot *w = Forms::Show<TFot>();
    chooseOrType(w->cboSE, engine);
    w->txtKeyword->setText(keyword);
    QTest::mouseClick(w->Label5, Qt::LeftButton);

    QCOMPARE(browser->navigations, address.isEmpty() ? QStringList() : QStringList {address});
    QCOMPARE(minimized(w), minimizes);
    QVERIFY(Forms::isLoaded<TFot>());
    QCOMPARE(env.boxes.size(), boxes);
    if (boxes) {
        QCOMPARE(env.boxes[0].prompt,
                 QStringLiteral(
                     "No search engine selected\n\nPlease choose a search engine and try again"));
        QCOMPARE(env.boxes[0].style, int(platform::vbExclamation));
        QCOMPARE(env.boxes[0].title, QStringLiteral("Scoutwell v3.3"));
    }
}

void TestFindWindows::windowsHaveTheirCaptionsAndControls()
{
    TestEnv env;
    FFw *f = Forms::get<FFw>();
    QCOMPARE(f->windowTitle(), QStringLiteral("Scoutwell Search Engine"));
    auto *cboFS = f->findChild<QComboBox *>(QStringLiteral("cboFS"));
    QVERIFY(cboFS);
    QCOMPARE(cboFS->currentText(), QStringLiteral("Freeware Site"));
    QStringList sites;
    for (int i = 0; i < cboFS->count(); ++i)
        sites << cboFS->itemText(i);
    QCOMPARE(sites,
             QStringList({"CNet", "Download.com", "File Transit", "Freeware Arena",
                          "Freeware World Team", "Jumbo", "PCAnswers", "Tucows", "WinFiles"}));
    QVERIFY(f->findChild<QLineEdit *>(QStringLiteral("txtKeyword")));
    QCOMPARE(f->findChild<QLabel *>(QStringLiteral("Label1"))->text(), QStringLiteral("Keyword:"));
    QCOMPARE(f->findChild<QLabel *>(QStringLiteral("Label3"))->text(), QStringLiteral("Site:"));
    QCOMPARE(f->findChild<platform::ClickLabel *>(QStringLiteral("Label5"))->text(),
             QStringLiteral("SEARCH!"));

    TFot *t = Forms::get<TFot>();
    QCOMPARE(t->windowTitle(), QStringLiteral("Find on the web"));
    auto *cboSE = t->findChild<QComboBox *>(QStringLiteral("cboSE"));
    QVERIFY(cboSE);
    QCOMPARE(cboSE->currentText(), QStringLiteral("Search Engine"));
    QStringList engines;
    for (int i = 0; i < cboSE->count(); ++i)
        engines << cboSE->itemText(i);
    QCOMPARE(engines,
             QStringList({"Altavista", "AOL", "Ask Jeeves", "DogPile", "Google", "Yahoo"}));
    QVERIFY(t->findChild<QLineEdit *>(QStringLiteral("txtKeyword")));
    QCOMPARE(t->findChild<QLabel *>(QStringLiteral("Label1"))->text(), QStringLiteral("Keyword:"));
    QCOMPARE(t->findChild<platform::ClickLabel *>(QStringLiteral("Label5"))->text(),
             QStringLiteral("SEARCH!"));
}

void TestFindWindows::enterInTheKeywordBoxDoesNotSearch()
{
    TestEnv env;
    FakeWebBrowser *browser = freshBrowser();
    FFw *f = Forms::Show<FFw>();
    chooseOrType(f->cboFS, QStringLiteral("Tucows"));
    f->txtKeyword->setText(TwoWords);
    QTest::keyClick(f->txtKeyword, Qt::Key_Return);
    QTest::keyClick(f->cboFS, Qt::Key_Return);
    TFot *t = Forms::Show<TFot>();
    chooseOrType(t->cboSE, QStringLiteral("Google"));
    t->txtKeyword->setText(TwoWords);
    QTest::keyClick(t->txtKeyword, Qt::Key_Return);
    QCOMPARE(browser->navigations, QStringList());
    QCOMPARE(f->cboFS->count(), 9);
}

void TestFindWindows::menuOpensTheWindows()
{
    TestEnv env;
    MDIForm1 *main = Forms::get<MDIForm1>();
    QVERIFY(!Forms::isLoaded<FFw>() && !Forms::isLoaded<TFot>());
    main->TFFw->trigger();
    QVERIFY(Forms::isLoaded<FFw>() && Forms::get<FFw>()->isVisible());
    main->TFotw->trigger();
    QVERIFY(Forms::isLoaded<TFot>() && Forms::get<TFot>()->isVisible());
    QCOMPARE(main->TFFw->shortcut(), QKeySequence(Qt::Key_F2));
    QCOMPARE(main->TFotw->shortcut(), QKeySequence(Qt::Key_F3));
}

QTEST_MAIN(TestFindWindows)
#include "tst_findwindows.moc"
