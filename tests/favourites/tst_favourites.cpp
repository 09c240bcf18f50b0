// The Favourites menu built from favourites.ini, what its entries open, and the organizer
// that rewrites the file.
#include "FakeWebBrowser.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/Hosts.h"
#include "app/MDIForm1.h"
#include "browse/Form1.h"
#include "favourites/FavouritesMenu.h"
#include "favourites/frmOrganize.h"

#include <QtTest>
#include <QtWidgets>

#include <csignal>
#include <sys/resource.h>

namespace {

const QByteArray two = "[Favourites]\n1=First site\n2=Second site\n"
                       "[Links]\n1=http://first.example/\n2=http://second.example/\n";

QString ini(const TestEnv &env)
{
    return env.programFolder() + QStringLiteral("/favourites.ini");
}

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
        const QByteArray access
            = "[Favourites]\n1=&Tools\n2=-\n3=Fish && Chips\n[Links]\n3=http://f.example/\n";
        // clang-format off
        QTest::newRow("link changed after start-up") << two << sites << 2 << moved << QStringList {"http://moved.example/"};
        QTest::newRow("gap after two") << QByteArray("[Favourites]\n1=a\n2=b\n4=d\n") << QStringList {"a", "b"} << 2 << QByteArray() << QStringList {""};
        QTest::newRow("empty first caption, maker's entry") << QByteArray("[Favourites]\n1=\n2=b\n") << QStringList() << 0 << QByteArray() << QStringList {hosts::Maker};
        QTest::newRow("separator, access keys") << access << QStringList {"&Tools", "<sep>", "Fish && Chips"} << 3 << QByteArray() << QStringList {"http://f.example/"};
        QTest::newRow("maker's caption does nothing") << QByteArray("[Favourites]\n1=Kestrelmoor Works\n[Links]\n1=http://x.example/\n") << QStringList {"Kestrelmoor Works"} << 1 << QByteArray() << QStringList();
        // clang-format on
    }
    void menuAndClick()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, items);
        QFETCH(int, click);
        QFETCH(QByteArray, fileAtClick);
        QFETCH(QStringList, navigated);
        TestEnv env;
        QVERIFY(putFile(ini(env), file));
        MDIForm1 *main = Forms::get<MDIForm1>();
        QCOMPARE(captions(main), items);
        if (!fileAtClick.isNull())
            QVERIFY(putFile(ini(env), fileAtClick));
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
        QVERIFY(putFile(ini(env), file));
        MDIForm1 *main = Forms::get<MDIForm1>();
        QCOMPARE(main->mnuFT1.size(), 32768);
        QCOMPARE(main->mnuFT1.last()->text(), QStringLiteral("Site 32767"));
        QCOMPARE(int(favourites::Menu().FavouriteCount), 32767);
        QVERIFY(env.boxes.isEmpty());
        QVERIFY(Forms::isLoaded<Form1>());
    }

    // The organizer's Save writes the editor's text as it is, byte for byte when unchanged.
    void organizerSaveUnchangedKeepsEveryByte_data()
    {
        QTest::addColumn<QByteArray>("file"); // null: no file yet
        // clang-format off
        QTest::newRow("CR LF, no final line end") << QByteArray(two).replace("\n", "\r\n").chopped(2);
        QTest::newRow("UTF-8, tab") << QByteArray("[Favourites]\n\t1=Caf\xC3\xA9\xC2\xA0\xE6\x97\xA5\n\n");
        QTest::newRow("Latin-1") << QByteArray("[Favourites]\n1=Caf\xE9\xA0\n");
        QTest::newRow("no file") << QByteArray();
        // clang-format on
    }
    void organizerSaveUnchangedKeepsEveryByte()
    {
        QFETCH(QByteArray, file);
        TestEnv env;
        if (!file.isNull())
            QVERIFY(putFile(ini(env), file));
        Forms::get<MDIForm1>();
        QTest::mouseClick(Forms::Show<frmOrganize>()->Label3, Qt::LeftButton);
        QVERIFY(QFile::exists(ini(env)));
        QCOMPARE(readFile(ini(env)), file.isNull() ? QByteArray("") : file);
        QCOMPARE(env.boxes.value(0).title, QStringLiteral("Update Successful"));
        QVERIFY(!Forms::isLoaded<frmOrganize>());
    }

    // Closing without Save leaves the file as it was; a Save the disk refuses leaves it too
    // and keeps the window and the edit; a Save that works writes the editor's text, which
    // the menu shows after a restart only.
    void organizerEditsReachTheFileOnlyThroughSave()
    {
        TestEnv env;
        QVERIFY(putFile(ini(env), two));
        MDIForm1 *main = Forms::get<MDIForm1>();
        frmOrganize *w = Forms::Show<frmOrganize>();
        w->rtb1->setFocus();
        QTest::keyClicks(w->rtb1, QStringLiteral("junk"));
        QVERIFY(w->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(readFile(ini(env)), two);

        w = Forms::Show<frmOrganize>();
        QCOMPARE(w->rtb1->toPlainText(), QString::fromUtf8(two));
        const QString edited
            = QString::fromUtf8(two).replace("2=Second site\n", "2=Second site\n3=Caf\u00e9\n")
            + QStringLiteral("3=http://third.example/\n");
        w->rtb1->selectAll();
        w->rtb1->insertPlainText(edited);
        // A file-size limit makes every write past 64 bytes fail, even for the superuser.
        struct rlimit old = {}, small = {64, 64};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &old) == 0);
        small.rlim_max = old.rlim_max;
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
        QTest::mouseClick(w->Label3, Qt::LeftButton);
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        QCOMPARE(readFile(ini(env)), two);
        QCOMPARE(QDir(env.programFolder()).entryList(QDir::Files), QStringList {"favourites.ini"});
        QVERIFY(Forms::isLoaded<frmOrganize>());
        QCOMPARE(w->rtb1->toPlainText(), edited);
        QVERIFY(env.boxes.size() == 1 && env.boxes[0].prompt.contains("could not be saved"));

        QTest::mouseClick(w->Label3, Qt::LeftButton);
        QCOMPARE(readFile(ini(env)), edited.toUtf8());
        QCOMPARE(main->mnuFT1.size(), 3);
        Forms::Unload<MDIForm1>();
        QCOMPARE(Forms::get<MDIForm1>()->mnuFT1.last()->text(), QStringLiteral("Caf\u00e9"));
    }
};

QTEST_MAIN(TestFavourites)
#include "tst_favourites.moc"
