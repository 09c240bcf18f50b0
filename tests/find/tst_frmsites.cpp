#include "FakeWebBrowser.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "find/UserSites.h"
#include "find/frmAddSite.h"
#include "find/frmSites.h"

#include <QtTest>
#include <QtWidgets>

using usersites::List;
using usersites::Site;
using usersites::UserSites;

namespace {

QList<Site> rows(List list)
{
    return UserSites::instance().rows(list);
}

// The sites file as the program reads it back.
QList<Site> stored(List list)
{
    const usersites::FileRows read = usersites::ReadSitesFile(usersites::SitesFile());
    return list == List::Freeware ? read.freeware : read.engines;
}

} // namespace

class TestFrmSites : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Test opens the address with the word "test" in the browser; an address that could not
    // be kept is refused with a message and opens nothing.
    void testButton_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("opened"); // "" for nothing
        // clang-format off
        QTest::newRow("plain")      << "https://a.example/s?q={keyword}&x=1" << "https://a.example/s?q=test&x=1";
        QTest::newRow("blanks")     << "  http://127.0.0.1:8/{keyword}  " << "http://127.0.0.1:8/test";
        QTest::newRow("no keyword") << "https://a.example/s" << "";
        QTest::newRow("javascript") << "javascript:alert({keyword})" << "";
        QTest::newRow("empty")      << "" << "";
        // clang-format on
    }
    void testButton()
    {
        QFETCH(QString, address);
        QFETCH(QString, opened);
        TestEnv env;
        UserSites::instance().load();
        auto *w = Forms::Show<frmSites>();
        w->txtName->clear(); // a test needs no name
        w->txtAddress->setText(address);
        QTest::mouseClick(w->cmdTest, Qt::LeftButton);
        FakeWebBrowser *browser = FakeWebBrowser::last();
        const QStringList navigations = browser ? browser->navigations : QStringList();
        if (opened.isEmpty()) {
            QCOMPARE(env.boxes.size(), 1);
            QVERIFY(!navigations.contains(address));
        } else {
            QVERIFY(env.boxes.isEmpty());
            QVERIFY(!navigations.isEmpty());
            QCOMPARE(navigations.last(), opened);
        }
        QVERIFY(!QFile::exists(usersites::SitesFile())); // a test saves nothing
    }

    // Add, edit, move and remove in the window: the file follows every step, a refused row
    // leaves it as it was, and each list keeps its own rows.
    void manageRows()
    {
        TestEnv env;
        UserSites::instance().load();
        auto *w = Forms::Show<frmSites>();
        const auto add = [&](const QString &name, const QString &address) {
            w->txtName->setText(name);
            w->txtAddress->setText(address);
            QTest::keyClick(w->txtAddress, Qt::Key_Return);
        };
        add("One", "https://one.example/?q={keyword}");
        add("Two", "https://two.example/?q={keyword}");
        add("Tucows", "https://t.example/?q={keyword}"); // a designed name
        add("two", "https://other.example/?q={keyword}"); // the same name in other letters
        add("Three", "https://three.example/"); // no place for the keyword
        QCOMPARE(env.boxes.size(), 3);
        const QList<Site> oneTwo {{"One", "https://one.example/?q={keyword}"},
                                  {"Two", "https://two.example/?q={keyword}"}};
        QCOMPARE(stored(List::Freeware), oneTwo);

        w->lstSites->selectRow(1);
        QTest::mouseClick(w->cmdUp, Qt::LeftButton);
        QCOMPARE(stored(List::Freeware), QList<Site>({oneTwo[1], oneTwo[0]}));
        QTest::mouseClick(w->cmdUp, Qt::LeftButton); // already first: nothing moves
        QCOMPARE(stored(List::Freeware), QList<Site>({oneTwo[1], oneTwo[0]}));
        QTest::mouseClick(w->cmdDown, Qt::LeftButton);
        QCOMPARE(stored(List::Freeware), oneTwo);

        // The selected row fills the boxes; Save changes replaces it in place.
        w->lstSites->selectRow(0);
        QCOMPARE(w->txtName->text(), "One");
        w->txtName->setText("Uno");
        QTest::mouseClick(w->cmdSave, Qt::LeftButton);
        QCOMPARE(stored(List::Freeware),
                 QList<Site>({{"Uno", "https://one.example/?q={keyword}"}, oneTwo[1]}));
        w->lstSites->selectRow(0);
        QTest::mouseClick(w->cmdRemove, Qt::LeftButton);
        QCOMPARE(stored(List::Freeware), oneTwo.mid(1));

        // The engines list is apart: a designed engine name is refused there, not a site's.
        w->showList(List::Engines);
        QCOMPARE(w->lstSites->model()->rowCount(), 0);
        add("Google", "https://g.example/?q={keyword}");
        add("Two", "https://two.example/?q={keyword}");
        QCOMPARE(env.boxes.size(), 4);
        QCOMPARE(stored(List::Engines), oneTwo.mid(1));
        QCOMPARE(stored(List::Freeware), oneTwo.mid(1));
    }

    // An import adds the rows the user lacks and keeps every row the user had, as it was; each
    // row left out is named with its reason. An export reads back as the rows it holds.
    void importAndExport()
    {
        TestEnv env;
        UserSites::instance().load();
        const QList<Site> mine {{"Mine", "https://mine.example/?q={keyword}"}};
        QVERIFY(UserSites::instance().setRows(List::Freeware, mine));
        QVERIFY(UserSites::instance().setRows(List::Engines, mine));
        const QString from = env.path() + "/shared.ini";
        QVERIFY(putFile(from,
                        "[Freeware sites]\n"
                        "MINE=https://theirs.example/?q={keyword}\n"
                        "New=https://new.example/?q={keyword}\n"
                        "Tucows=https://t.example/?q={keyword}\n"
                        "Bad=ftp://bad.example/{keyword}\n"
                        "[Search engines]\n"
                        "Other=https://other.example/?q={keyword}\n"));
        QStringList problems;
        QCOMPARE(UserSites::instance().importFile(from, &problems), 2);
        QCOMPARE(problems.size(), 3);
        QVERIFY(problems.filter("MINE").size() == 1);
        QVERIFY(problems.filter("Tucows").size() == 1);
        QVERIFY(problems.filter("Bad").size() == 1);
        const QList<Site> freeware {mine[0], {"New", "https://new.example/?q={keyword}"}};
        const QList<Site> engines {mine[0], {"Other", "https://other.example/?q={keyword}"}};
        QCOMPARE(stored(List::Freeware), freeware);
        QCOMPARE(stored(List::Engines), engines);

        // The same file again adds nothing and writes nothing.
        QCOMPARE(UserSites::instance().importFile(from, &problems), 0);
        QCOMPARE(problems.size(), 5);
        QCOMPARE(UserSites::instance().importFile(env.path() + "/none.ini", &problems), 0);
        QCOMPARE(problems.size(), 1);
        QCOMPARE(rows(List::Freeware), freeware);

        const QString to = env.path() + "/export.ini";
        QVERIFY(UserSites::instance().exportFile(to));
        const usersites::FileRows read = usersites::ReadSitesFile(to);
        QCOMPARE(read.freeware, freeware);
        QCOMPARE(read.engines, engines);
        QVERIFY(read.problems.isEmpty());
        QVERIFY(!UserSites::instance().exportFile(from + "/x.ini"));
    }

    // The window a page's offer opens: each button adds to its own list under the name as
    // edited; a name the list refuses keeps the window open with a message.
    void addFromPage_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("engines");
        QTest::addColumn<bool>("added");
        // clang-format off
        QTest::newRow("engine")             << "Local Search" << true  << true;
        QTest::newRow("site")               << "Local Search" << false << true;
        QTest::newRow("designed engine")    << "Google"       << true  << false;
        QTest::newRow("engine name as site")<< "Google"       << false << true;
        QTest::newRow("designed site")      << "tucows"       << false << false;
        QTest::newRow("taken")              << "mine"         << true  << false;
        QTest::newRow("blank")              << "  "           << true  << false;
        // clang-format on
    }
    void addFromPage()
    {
        QFETCH(QString, name);
        QFETCH(bool, engines);
        QFETCH(bool, added);
        TestEnv env;
        UserSites::instance().load();
        const Site mine {"Mine", "https://mine.example/?q={keyword}"};
        QVERIFY(UserSites::instance().setRows(List::Engines, {mine}));
        const QString address = "http://127.0.0.1:8/s?q={keyword}";
        frmAddSite dialog("Offered", address);
        dialog.show();
        dialog.txtName->setText(name);
        QTest::mouseClick(engines ? dialog.cmdEngines : dialog.cmdFreeware, Qt::LeftButton);
        const List list = engines ? List::Engines : List::Freeware;
        QList<Site> expected = engines ? QList<Site> {mine} : QList<Site> {};
        if (added)
            expected.append({name, address});
        QCOMPARE(stored(list), expected);
        QCOMPARE(dialog.isVisible(), !added);
        QCOMPARE(env.boxes.size(), added ? 0 : 1);
        QCOMPARE(stored(engines ? List::Freeware : List::Engines).size(), engines ? 0 : 1);
    }
};

QTEST_MAIN(TestFrmSites)
#include "tst_frmsites.moc"
