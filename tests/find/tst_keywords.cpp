#include "FakeWebBrowser.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/Hosts.h"
#include "app/MDIForm1.h"
#include "find/KeywordTable.h"
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

// Keywords typed in the address box and in the go-to-keyword window, and the keyword list.
class TestKeywords : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void addressBox_data();
    void addressBox();
    void goToKeyword_data();
    void goToKeyword();
    void goToWindowControls();
    void keywordListButtonKeepsTheWindowOpen();
    void keywordList();
};

namespace {

const QString Trigger = QString::fromUtf8("k\u00a7");
const QString EggTitle = QStringLiteral("You've found the easter egg");
const QString ErrorTitle = QStringLiteral("Keyword Error");

QString host(const char *h)
{
    return QString::fromUtf8(h);
}

// Every site keyword with the whole address it must open.
QList<QPair<QString, QString>> siteKeywords()
{
    return {
        {"dd", host(hosts::ParasiteInfo) + "/parasite/"},
        {"bbc", host(hosts::BBC)},
        {"drivers", host(hosts::DriverGuide)},
        {"plume", host(hosts::PersonalSite)},
        {"hosting", host(hosts::Inspiratech)},
        {"fa", host(hosts::FreewareArena)},
        {"fh", host(hosts::FreewareHome)},
        {"qv", host(hosts::MakerFanSite)},
        {"news", host(hosts::BBCNews) + "/"},
        {"pc support", host(hosts::ComputerHope)},
        {"ql", host(hosts::QuantumIllusions) + "/"},
        {"senior", host(hosts::Seniority)},
        {"submit", host(hosts::Maker) + "/main_content/sitesubmit.asp"},
        {"support", host(hosts::Maker) + "/support"},
        {"tcpa", host(hosts::AgainstTcpa)},
        {"tech news", host(hosts::TheRegister)},
        {"translate", host(hosts::FreeTranslation)},
        {"update", host(hosts::Maker) + "/support"},
        {"wg", host(hosts::WebGrid)},
        {"zp2", host(hosts::ZeroPlus2) + "/index.html"},
    };
}

FakeWebBrowser *freshBrowser()
{
    Forms::get<MDIForm1>();
    FakeWebBrowser *browser = FakeWebBrowser::last();
    browser->navigations.clear();
    return browser;
}

} // namespace

void TestKeywords::addressBox_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("how"); // "enter", "go" (the GO! button) or "other key"
    QTest::addColumn<QStringList>("navigations");
    QTest::addColumn<QString>("boxTitle");
    QTest::addColumn<bool>("listShown");

    for (const auto &[keyword, address] : siteKeywords())
        QTest::addRow("%s", qPrintable(keyword))
            << keyword << "enter" << QStringList {address} << "" << false;
    QTest::newRow("upper case is no keyword") << "BBC"
                                              << "enter" << QStringList {"BBC"} << "" << false;
    QTest::newRow("leading blank is kept") << " bbc"
                                           << "enter" << QStringList {" bbc"} << "" << false;
    QTest::newRow("bare host as typed")
        << "www.example.org"
        << "enter" << QStringList {"www.example.org"} << "" << false;
    QTest::newRow("site name is no keyword") << "tucows"
                                             << "enter" << QStringList {"tucows"} << "" << false;
    QTest::newRow("keywords opens the list") << "keywords"
                                             << "enter" << QStringList() << "" << true;
    QTest::newRow("hidden word") << Trigger << "enter" << QStringList() << EggTitle << false;
    QTest::newRow("GO! does what Enter does")
        << "drivers"
        << "go" << QStringList {host(hosts::DriverGuide)} << "" << false;
    QTest::newRow("GO! with an address") << "about:blank"
                                         << "go" << QStringList {"about:blank"} << "" << false;
    QTest::newRow("other keys navigate nowhere") << "bbc"
                                                 << "other key" << QStringList() << "" << false;
}

void TestKeywords::addressBox()
{
    QFETCH(QString, text);
    QFETCH(QString, how);
    QFETCH(QStringList, navigations);
    QFETCH(QString, boxTitle);
    QFETCH(bool, listShown);
    TestEnv env;
    if (how == QLatin1String("go"))
        platform::SaveSetting(QStringLiteral("GoBtn"), QStringLiteral("1"));
    FakeWebBrowser *browser = freshBrowser();
    MDIForm1 *main = Forms::get<MDIForm1>();
    main->Combo1->setEditText(text);
    if (how == QLatin1String("enter"))
        QTest::keyClick(main->Combo1->lineEdit(), Qt::Key_Return);
    else if (how == QLatin1String("go"))
        QTest::mouseClick(main->btnGo, Qt::LeftButton);
    else
        QTest::keyClick(main->Combo1->lineEdit(), Qt::Key_Tab);

    QCOMPARE(browser->navigations, navigations);
    QCOMPARE(Forms::isLoaded<frmKeywords>(), listShown);
    QCOMPARE(env.boxes.size(), boxTitle.isEmpty() ? 0 : 1);
    if (!boxTitle.isEmpty()) {
        QCOMPARE(env.boxes[0].title, boxTitle);
        QCOMPARE(env.boxes[0].style, int(platform::vbOKOnly));
        QVERIFY(env.boxes[0].prompt.startsWith(
            "This program is dedicated to the freeware world and all that it resembles.\n\n"));
        QVERIFY(env.boxes[0].prompt.contains("Kestrelmoor Works"));
    }
    // The key itself never adds to the address list; only a completed download does.
    QCOMPARE(main->Combo1->count(), 0);
}

void TestKeywords::goToKeyword_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("byEnter");
    QTest::addColumn<QStringList>("navigations");
    QTest::addColumn<bool>("error");
    QTest::addColumn<bool>("listShown");

    // Enter in the box must behave exactly as a click on GO!, so every case runs both ways.
    for (bool byEnter : {false, true}) {
        const char *how = byEnter ? "Enter" : "GO!";
        for (const auto &[keyword, address] : siteKeywords())
            QTest::addRow("%s, %s", qPrintable(keyword), how)
                << keyword << byEnter << QStringList {address} << false << false;
        QTest::addRow("keywords, %s", how)
            << "keywords" << byEnter << QStringList() << false << true;
        QTest::addRow("hidden word, %s", how)
            << Trigger << byEnter << QStringList() << true << false;
        QTest::addRow("upper case, %s", how) << "BBC" << byEnter << QStringList() << true << false;
        QTest::addRow("trailing blank, %s", how)
            << "bbc " << byEnter << QStringList() << true << false;
        QTest::addRow("empty, %s", how) << "" << byEnter << QStringList() << true << false;
        QTest::addRow("an address, %s", how)
            << "www.example.org" << byEnter << QStringList() << true << false;
    }
}

void TestKeywords::goToKeyword()
{
    QFETCH(QString, text);
    QFETCH(bool, byEnter);
    QFETCH(QStringList, navigations);
    QFETCH(bool, error);
    QFETCH(bool, listShown);
    TestEnv env;
    FakeWebBrowser *browser = freshBrowser();
    Forms::get<MDIForm1>()->mnuFKeywords->trigger();
    QVERIFY(Forms::isLoaded<frmGoToKeyword>());
    frmGoToKeyword *w = Forms::get<frmGoToKeyword>();
    QVERIFY(w->isVisible());
    w->txtGTKeyword->setText(text);
    if (byEnter)
        QTest::keyClick(w->txtGTKeyword, Qt::Key_Return);
    else
        QTest::mouseClick(w->Image3, Qt::LeftButton);

    QCOMPARE(browser->navigations, navigations);
    QCOMPARE(Forms::isLoaded<frmKeywords>(), listShown);
    QCOMPARE(env.boxes.size(), error ? 1 : 0);
    if (error) {
        QCOMPARE(env.boxes[0].title, ErrorTitle);
        QCOMPARE(env.boxes[0].prompt,
                 QStringLiteral("Invalid keyword, please check and try again"));
        QCOMPARE(env.boxes[0].style, int(platform::vbOKOnly));
    }
    // Closed after every attempt, whatever its outcome.
    QVERIFY(!Forms::isLoaded<frmGoToKeyword>());
}

void TestKeywords::goToWindowControls()
{
    TestEnv env;
    frmGoToKeyword *w = Forms::get<frmGoToKeyword>();
    QCOMPARE(w->windowTitle(), QStringLiteral("Go to keyword ..."));
    const QList<QPair<const char *, const char *>> labels = {
        {"Label1", "Please type a valid keyord in the box below then press Go"},
        {"Label2", "Enter word(s)"},
        {"Label3", "GO!"},
        {"Label4", "Keyword List"},
    };
    for (const auto &[name, text] : labels) {
        auto *label = w->findChild<QLabel *>(QLatin1String(name));
        QVERIFY2(label, name);
        QCOMPARE(label->text(), QString::fromUtf8(text));
    }
    for (const char *name : {"Image1", "Image2", "Image3", "Image4"}) {
        auto *picture = w->findChild<QLabel *>(QLatin1String(name));
        QVERIFY2(picture && !picture->pixmap().isNull(), name);
    }
    QVERIFY(w->findChild<QLineEdit *>(QStringLiteral("txtGTKeyword")));
}

void TestKeywords::keywordListButtonKeepsTheWindowOpen()
{
    TestEnv env;
    FakeWebBrowser *browser = freshBrowser();
    frmGoToKeyword *w = Forms::Show<frmGoToKeyword>();
    QTest::mouseClick(w->Image4, Qt::LeftButton);
    QVERIFY(Forms::isLoaded<frmKeywords>() && Forms::get<frmKeywords>()->isVisible());
    QVERIFY(Forms::isLoaded<frmGoToKeyword>());
    // Typing in the box is left to the box: only Enter acts.
    QTest::keyClicks(w->txtGTKeyword, QStringLiteral("bbc"));
    QCOMPARE(w->txtGTKeyword->text(), QStringLiteral("bbc"));
    QVERIFY(Forms::isLoaded<frmGoToKeyword>());
    QCOMPARE(browser->navigations, QStringList());
    QVERIFY(env.boxes.isEmpty());
}

void TestKeywords::keywordList()
{
    TestEnv env;
    frmKeywords *w = Forms::get<frmKeywords>();
    QCOMPARE(w->windowTitle(), QStringLiteral("Scoutwell Keywords"));

    QStringList expected;
    for (const KeywordRow &row : KeywordTable)
        expected << KeywordText(row);
    expected.removeAll(Trigger);
    expected.sort();

    // One paragraph per keyword, an empty one between entries.
    QStringList listed;
    int index = 0;
    for (QTextBlock b = w->txtKWList->document()->begin(); b.isValid(); b = b.next(), ++index) {
        if (index % 2 == 1) {
            QVERIFY2(b.text().isEmpty(), qPrintable(b.text()));
            continue;
        }
        QTextBlock::iterator it = b.begin();
        QVERIFY(!it.atEnd());
        const QTextFragment keyword = it.fragment();
        QVERIFY(keyword.charFormat().fontWeight() == QFont::Bold);
        QVERIFY(keyword.charFormat().fontFamilies().toStringList().contains("Verdana"));
        ++it;
        QVERIFY(!it.atEnd());
        const QTextFragment rest = it.fragment();
        QVERIFY(rest.charFormat().fontWeight() != QFont::Bold);
        QVERIFY(rest.text().startsWith(" - "));
        QVERIFY2(rest.text().size() > 10, qPrintable(keyword.text()));
        QCOMPARE(b.text(), keyword.text() + rest.text());
        listed << keyword.text();
    }
    QCOMPARE(listed, expected);
    QVERIFY(!w->txtKWList->toPlainText().contains(Trigger));
    QVERIFY(frmKeywords::Description(QStringLiteral("keywords")).contains("this list"));

    const QStringList help = w->Text1->toPlainText().split('\n');
    for (const char *question : {"What keywords can I use?", "Why include the keyword feature?"})
        QVERIFY2(help.contains(QLatin1String(question)), question);
    QCOMPARE(help.filter(QRegularExpression("\\?$")).size(), 3);
}

QTEST_MAIN(TestKeywords)
#include "tst_keywords.moc"
