#include "FakeWebBrowser.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/Hosts.h"
#include "app/MDIForm1.h"
#include "browse/Form1.h"

#include <QtTest>
#include <QtWidgets>

namespace {

void writeFavourites(const TestEnv &env, const QByteArray &bytes)
{
    QFile f(env.programFolder() + QStringLiteral("/favourites.ini"));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size());
}

const QByteArray two = "[Favourites]\n1=First site\n2=Second site\n"
                       "[Links]\n1=http://first.example/\n2=http://second.example/\n";

// The favourites as the menu shows them, plain separators as "<sep>".
QStringList captions(MDIForm1 *main)
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
    // The menu built at start-up, and what a click on one of its entries opens.
    void menuAndClick_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("items"); // plain separators as "<sep>"
        QTest::addColumn<int>("click"); // 0: the maker's entry
        QTest::addColumn<QByteArray>("fileAtClick"); // written after start-up; null: unchanged
        QTest::addColumn<QStringList>("navigated");
        const QStringList sites {"First site", "Second site"};
        QByteArray moved = two;
        moved.replace("http://second.example/", "http://moved.example/").replace("Second", "Gone");
        QTest::newRow("second favourite")
            << two << sites << 2 << QByteArray() << QStringList {"http://second.example/"};
        QTest::newRow("link changed after start-up")
            << two << sites << 2 << moved << QStringList {"http://moved.example/"};
        QTest::newRow("gap after two")
            << QByteArray("[Favourites]\n1=a\n2=b\n4=d\n") << QStringList {"a", "b"} << 2
            << QByteArray() << QStringList {""};
        QTest::newRow("empty first caption, maker's entry")
            << QByteArray("[Favourites]\n1=\n2=b\n") << QStringList() << 0 << QByteArray()
            << QStringList {QLatin1String(hosts::Maker)};
        QTest::newRow("separator, access keys")
            << QByteArray(
                   "[Favourites]\n1=&Tools\n2=-\n3=Fish && Chips\n[Links]\n3=http://f.example/\n")
            << QStringList {"&Tools", "<sep>", "Fish && Chips"} << 3 << QByteArray()
            << QStringList {"http://f.example/"};
        QTest::newRow("maker's caption does nothing")
            << QByteArray("[Favourites]\n1=Kestrelmoor Works\n[Links]\n1=http://x.example/\n")
            << QStringList {"Kestrelmoor Works"} << 1 << QByteArray() << QStringList();
    }
    void menuAndClick()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, items);
        QFETCH(int, click);
        QFETCH(QByteArray, fileAtClick);
        QFETCH(QStringList, navigated);
        TestEnv env;
        writeFavourites(env, file);
        MDIForm1 *main = Forms::get<MDIForm1>();
        QCOMPARE(captions(main), items);
        // The favourites end the menu, behind the separator that heads them.
        QCOMPARE(main->mnuFavs->actions().mid(4), main->mnuFT1);
        QVERIFY(main->mnuFT1.first()->isSeparator());
        if (!fileAtClick.isNull())
            writeFavourites(env, fileAtClick);
        FakeWebBrowser *browser = FakeWebBrowser::last();
        browser->navigations.clear();
        (click ? main->mnuFT1.at(click) : main->mnuFTG)->trigger();
        QCOMPARE(browser->navigations, navigated);
        QCOMPARE(captions(main), items); // the menu is built once, at start-up
    }

    // A 16-bit count would overflow past 32,767 and abort the main window's load.
    void menuStopsAtTheLastEntryNumber()
    {
        TestEnv env;
        QByteArray file = "[Favourites]\n";
        for (int n = 1; n <= 32800; ++n)
            file += QByteArray::number(n) + "=Site " + QByteArray::number(n) + '\n';
        writeFavourites(env, file);
        MDIForm1 *main = Forms::get<MDIForm1>();
        QCOMPARE(main->mnuFT1.size(), 32768);
        QCOMPARE(main->mnuFT1.last()->text(), QStringLiteral("Site 32767"));
        QCOMPARE(int(main->FavouriteCount), 32767);
        QVERIFY2(env.boxes.isEmpty(), qPrintable(env.boxes.value(0).prompt));
        QVERIFY(Forms::isLoaded<Form1>());
    }
};

QTEST_MAIN(TestFavourites)
#include "tst_favourites.moc"
