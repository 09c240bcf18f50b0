#include "FakeWebBrowser.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/Hosts.h"
#include "app/MDIForm1.h"
#include "browse/Form1.h"
#include "favourites/FavouritesMenu.h"
#include "favourites/frmOrganize.h"
#include "favourites/mduIni.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QtTest>

namespace {

bool writeFavourites(const TestEnv &env, const QByteArray &bytes)
{
    QFile f(env.programFolder() + QStringLiteral("/favourites.ini"));
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// The favourites as the menu shows them: captions, with plain separators as "<sep>".
QStringList favouriteItems(MDIForm1 *main)
{
    QStringList items;
    for (QAction *a : main->mnuFT1.mid(1))
        items.append(a->isSeparator() ? QStringLiteral("<sep>") + a->text() : a->text());
    return items;
}

const QByteArray twoFavourites = "[Favourites]\n1=First site\n2=Second site\n"
                                 "[Links]\n1=http://first.example/\n2=http://second.example/\n";

} // namespace

class TestFavourites : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void menu_data();
    void menu();
    void menuStopsAtTheLastEntryNumber();
    void click_data();
    void click();
    void changedLinkIsUsedAtTheNextClick();
    void fixedItems();
};

void TestFavourites::menu_data()
{
    QTest::addColumn<QByteArray>("file"); // null: no favourites.ini
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<int>("count");

    QTest::newRow("two favourites")
        << twoFavourites << QStringList {"First site", "Second site"} << 3;
    QTest::newRow("gap after two")
        << QByteArray("[Favourites]\n1=a\n2=b\n4=d\n") << QStringList {"a", "b"} << 3;
    QTest::newRow("empty first caption")
        << QByteArray("[Favourites]\n1=\n2=b\n") << QStringList {} << 1;
    QTest::newRow("small letters and blanks")
        << QByteArray("[favourites]\n 1 =a\n  2\t= b \n") << QStringList {"a", "b"} << 3;
    QTest::newRow("300-character caption")
        << QByteArray("[Favourites]\n1=" + QByteArray(300, 'x') + "\n")
        << QStringList {QString(254, u'x')} << 2;
    QTest::newRow("separator and access key")
        << QByteArray("[Favourites]\n1=&Tools\n2=-\n3=Fish && Chips\n")
        << QStringList {"&Tools", "<sep>", "Fish && Chips"} << 4;
    QTest::newRow("no file") << QByteArray() << QStringList {} << 1;
    QTest::newRow("no Favourites section")
        << QByteArray("[Links]\n1=http://a.example/\n") << QStringList {} << 1;
    QTest::newRow("random bytes") << QByteArray("\x01\xff[\n=\x80\x00]]==\r\r\n[", 17)
                                  << QStringList {} << 1;
}

void TestFavourites::menu()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, items);
    QFETCH(int, count);
    TestEnv env;
    if (!file.isNull())
        QVERIFY(writeFavourites(env, file));
    MDIForm1 *main = Forms::get<MDIForm1>();
    QCOMPARE(favouriteItems(main), items);
    QCOMPARE(int(main->FavouriteCount), count);
    // The favourites sit at the end of the menu, behind the separator that heads them.
    const QList<QAction *> actions = main->mnuFavs->actions();
    QCOMPARE(actions.mid(4), main->mnuFT1);
    QVERIFY(main->mnuFT1.first()->isSeparator());
    QCOMPARE(main->FavouritesPath, env.programFolder() + QStringLiteral("/favourites.ini"));
    QVERIFY(env.boxes.isEmpty());
    // The load went on to open the browser window.
    QVERIFY(Forms::isLoaded<Form1>());
}

void TestFavourites::menuStopsAtTheLastEntryNumber()
{
    TestEnv env;
    QByteArray file = "[Favourites]\n";
    for (int n = 1; n <= 32800; ++n)
        file += QByteArray::number(n) + "=Site " + QByteArray::number(n) + '\n';
    QVERIFY(writeFavourites(env, file));
    MDIForm1 *main = Forms::get<MDIForm1>();
    QCOMPARE(main->mnuFT1.size(), 32768);
    QCOMPARE(main->mnuFT1.last()->text(), QStringLiteral("Site 32767"));
    QCOMPARE(int(main->FavouriteCount), 32767);
    QVERIFY2(env.boxes.isEmpty(), qPrintable(env.boxes.value(0).prompt));
    // The rest of the load still ran.
    QVERIFY(Forms::isLoaded<Form1>());
}

void TestFavourites::click_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("navigated");

    QTest::newRow("second favourite")
        << twoFavourites << 2 << QStringList {"http://second.example/"};
    QTest::newRow("first favourite") << twoFavourites << 1 << QStringList {"http://first.example/"};
    QTest::newRow("caption without link")
        << QByteArray("[Favourites]\n1=a\n2=b\n[Links]\n1=http://a.example/\n") << 2
        << QStringList {""};
    QTest::newRow("maker's caption does nothing")
        << QByteArray("[Favourites]\n1=Kestrelmoor Works\n[Links]\n1=http://x.example/\n") << 1
        << QStringList {};
    QTest::newRow("link taken as written")
        << QByteArray("[Favourites]\n1=a\n[LINKS]\n 1 = \" spaced \" \n") << 1
        << QStringList {" spaced "};
}

void TestFavourites::click()
{
    QFETCH(QByteArray, file);
    QFETCH(int, index);
    QFETCH(QStringList, navigated);
    TestEnv env;
    QVERIFY(writeFavourites(env, file));
    MDIForm1 *main = Forms::get<MDIForm1>();
    FakeWebBrowser *browser = FakeWebBrowser::last();
    QVERIFY(browser);
    const qsizetype before = browser->navigations.size();
    main->mnuFT1.at(index)->trigger();
    QCOMPARE(browser->navigations.mid(before), navigated);
}

void TestFavourites::changedLinkIsUsedAtTheNextClick()
{
    TestEnv env;
    QVERIFY(writeFavourites(env, twoFavourites));
    MDIForm1 *main = Forms::get<MDIForm1>();
    FakeWebBrowser *browser = FakeWebBrowser::last();
    main->mnuFT1.at(2)->trigger();
    QCOMPARE(browser->navigations.last(), QStringLiteral("http://second.example/"));

    QByteArray changed = twoFavourites;
    changed.replace("http://second.example/", "http://moved.example/page");
    changed.replace("Second site", "Renamed");
    QVERIFY(writeFavourites(env, changed));
    main->mnuFT1.at(2)->trigger();
    QCOMPARE(browser->navigations.last(), QStringLiteral("http://moved.example/page"));
    // The captions stay as they were read at start-up.
    QCOMPARE(main->mnuFT1.at(2)->text(), QStringLiteral("Second site"));
}

void TestFavourites::fixedItems()
{
    TestEnv env;
    QVERIFY(writeFavourites(env, twoFavourites));
    MDIForm1 *main = Forms::get<MDIForm1>();
    FakeWebBrowser *browser = FakeWebBrowser::last();
    main->mnuFTG->trigger();
    QCOMPARE(browser->navigations.last(), QLatin1String(hosts::Maker));
    QVERIFY(QUrl(QLatin1String(hosts::Maker)).path().isEmpty());

    main->mnuOrganize->trigger();
    QVERIFY(Forms::isLoaded<frmOrganize>());
    QVERIFY(Forms::get<frmOrganize>()->isVisible());

    // With the browser window closed, a favourite opens a new one and then goes there.
    Forms::Unload<Form1>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    main->mnuFT1.at(1)->trigger();
    QCOMPARE(FakeWebBrowser::last()->navigations,
             QStringList({"about:blank", "http://first.example/"}));
}

QTEST_MAIN(TestFavourites)
#include "tst_favourites.moc"
