#include "FakeWebBrowser.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/Hosts.h"
#include "app/MDIForm1.h"
#include "browse/Form1.h"

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

const QByteArray twoFavourites = "[Favourites]\n1=First site\n2=Second site\n"
                                 "[Links]\n1=http://first.example/\n2=http://second.example/\n";

// The favourites as the menu shows them, plain separators as "<sep>".
QStringList favouriteCaptions(MDIForm1 *main)
{
    QStringList shown;
    for (QAction *a : main->mnuFT1.mid(1))
        shown.append(a->isSeparator() ? QStringLiteral("<sep>") + a->text() : a->text());
    return shown;
}

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
};

void TestFavourites::menu_data()
{
    QTest::addColumn<QByteArray>("file"); // null: no favourites.ini
    QTest::addColumn<QStringList>("items"); // plain separators as "<sep>"
    QTest::newRow("two favourites") << twoFavourites << QStringList {"First site", "Second site"};
    QTest::newRow("gap after two")
        << QByteArray("[Favourites]\n1=a\n2=b\n4=d\n") << QStringList {"a", "b"};
    QTest::newRow("empty first caption") << QByteArray("[Favourites]\n1=\n2=b\n") << QStringList {};
    QTest::newRow("small letters, blanks")
        << QByteArray("[favourites]\n 1 =a\n  2\t= b \n") << QStringList {"a", "b"};
    QTest::newRow("separator, access keys")
        << QByteArray("[Favourites]\n1=&Tools\n2=-\n3=Fish && Chips\n")
        << QStringList {"&Tools", "<sep>", "Fish && Chips"};
    QTest::newRow("no file") << QByteArray() << QStringList {};
}

void TestFavourites::menu()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, items);
    TestEnv env;
    if (!file.isNull())
        QVERIFY(writeFavourites(env, file));
    MDIForm1 *main = Forms::get<MDIForm1>();
    QCOMPARE(favouriteCaptions(main), items);
    QCOMPARE(int(main->FavouriteCount), items.size() + 1);
    // The favourites end the menu, behind the separator that heads them.
    QCOMPARE(main->mnuFavs->actions().mid(4), main->mnuFT1);
    QVERIFY(main->mnuFT1.first()->isSeparator());
    QVERIFY(env.boxes.isEmpty());
    QVERIFY(Forms::isLoaded<Form1>()); // the load went on
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
    QVERIFY(Forms::isLoaded<Form1>());
}

void TestFavourites::click_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("index"); // 0: the maker's entry
    QTest::addColumn<QByteArray>("fileAtClick"); // written after start-up; null: unchanged
    QTest::addColumn<QStringList>("navigated");
    QByteArray moved = twoFavourites;
    moved.replace("http://second.example/", "http://moved.example/page").replace("Second", "Gone");
    QTest::newRow("second favourite")
        << twoFavourites << 2 << QByteArray() << QStringList {"http://second.example/"};
    QTest::newRow("link changed after start-up")
        << twoFavourites << 2 << moved << QStringList {"http://moved.example/page"};
    QTest::newRow("caption without link")
        << QByteArray("[Favourites]\n1=a\n2=b\n[Links]\n1=http://a.example/\n") << 2 << QByteArray()
        << QStringList {""};
    QTest::newRow("maker's caption")
        << QByteArray("[Favourites]\n1=Kestrelmoor Works\n[Links]\n1=http://x.example/\n") << 1
        << QByteArray() << QStringList {};
    QTest::newRow("maker's entry")
        << twoFavourites << 0 << QByteArray() << QStringList {QLatin1String(hosts::Maker)};
}

void TestFavourites::click()
{
    QFETCH(QByteArray, file);
    QFETCH(int, index);
    QFETCH(QByteArray, fileAtClick);
    QFETCH(QStringList, navigated);
    TestEnv env;
    QVERIFY(writeFavourites(env, file));
    MDIForm1 *main = Forms::get<MDIForm1>();
    const QStringList captions = favouriteCaptions(main);
    if (!fileAtClick.isNull())
        QVERIFY(writeFavourites(env, fileAtClick));
    FakeWebBrowser *browser = FakeWebBrowser::last();
    const qsizetype before = browser->navigations.size();
    (index ? main->mnuFT1.at(index) : main->mnuFTG)->trigger();
    QCOMPARE(browser->navigations.mid(before), navigated);
    QCOMPARE(favouriteCaptions(main), captions); // the menu is built once, at start-up
}

QTEST_MAIN(TestFavourites)
#include "tst_favourites.moc"
