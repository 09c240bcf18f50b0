// The Guard window offscreen over a private data folder: the lists it finds and the order
// it shows them in, the choices it keeps in guard.ini, a damaged guard.ini set aside, and
// the warning page's words.
#include "LocalHttpServer.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "guard/BrowserGuard.h"
#include "guard/GuardSettings.h"
#include "guard/ListModel.h"
#include "guard/ListStore.h"
#include "guard/frmGuard.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QTableView>
#include <QtTest>

using guard::GuardSettings;
using guard::ListModel;
using guard::ListStore;
using namespace Qt::StringLiterals;

class TestGuardWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void damagedSettingsAreSetAside();
    void listsAndChoices();
    void subscriptions();
    void warningPage();

private:
    TestEnv *m_env = nullptr;
};

void TestGuardWindow::initTestCase()
{
    m_env = new TestEnv();
}

void TestGuardWindow::damagedSettingsAreSetAside()
{
    // rows: what the file holds, then whether it is read as written.
    const QString ini = GuardSettings::path();
    QDir().mkpath(QFileInfo(ini).path());
    // clang-format off
    const struct { QByteArray bytes; bool good; } cases[] = {
        {"[Guard]\nEnabled=0\nSitesOff=a.example b.example\n", true},
        {"", true},
        {"Enabled=0\n", false},                  // a key outside the group
        {QByteArrayLiteral("[Guard]\nEnabled=0\0junk\n"), false}, // binary
        {"[Guard]\njust words\n", false},
    };
    // clang-format on
    int asideBefore = 0;
    for (const auto &c : cases) {
        QVERIFY(putFile(ini, c.bytes));
        GuardSettings s;
        const QString problem = s.load();
        const int aside
            = int(QDir(QFileInfo(ini).path()).entryList({u"guard.ini.bad*"_s}, QDir::Files).size());
        QCOMPARE(problem.isEmpty(), c.good);
        if (c.good) {
            QCOMPARE(aside, asideBefore);
        } else {
            // Set aside beside the earlier ones, never over them, and the defaults taken.
            QCOMPARE(aside, asideBefore + 1);
            QVERIFY(!QFileInfo::exists(ini));
            QVERIFY(s.enabled && s.sitesOff.isEmpty());
        }
        asideBefore = aside;
    }
    GuardSettings s;
    s.enabled = false;
    s.sitesOff = {u"b.example"_s, u"a.example"_s};
    s.listsOff = {u"easylist"_s, u"file:my list.txt"_s};
    s.addedAddresses = {u"https://lists.example/one.txt"_s};
    QVERIFY(s.save());
    GuardSettings back;
    QCOMPARE(back.load(), QString());
    QCOMPARE(back.enabled, false);
    QCOMPARE(back.sitesOff, s.sitesOff);
    QCOMPARE(back.listsOff, s.listsOff);
    QCOMPARE(back.addedAddresses, s.addedAddresses);
    QFile::remove(ini);
}

void TestGuardWindow::listsAndChoices()
{
    // Debian's four are off, so the index holds the user's lists only.
    GuardSettings s;
    s.listsOff = {u"easylist"_s, u"easyprivacy"_s, u"badware"_s, u"malware"_s};
    QVERIFY(s.save());
    const QString folder = ListStore::userFolder();
    QDir().mkpath(folder);
    QVERIFY(putFile(folder + u"/zz sites.txt"_s, "||ads.example^\nbroken$nosuchoption\n"));
    QVERIFY(putFile(folder + u"/aa hiding.txt"_s, "##.advert\nexample.org##.banner\n"));
    QVERIFY(putFile(folder + u"/notes.md"_s, "||not.a.list^\n"));

    frmGuard *w = Forms::Show<frmGuard>();
    QTRY_VERIFY_WITH_TIMEOUT(ListStore::instance()->indexState().startsWith(u"Ready"_s), 30000);
    QAbstractItemModel *model = w->grdLists->model();
    QStringList names;
    for (int row = 0; row < model->rowCount(); ++row)
        names.append(model->index(row, ListModel::Name).data().toString());
    QCOMPARE(names.mid(4), QStringList({u"aa hiding"_s, u"zz sites"_s}));
    // rows: the list, its rules understood and skipped as the table shows them.
    QCOMPARE(model->index(4, ListModel::Understood).data().toString(), u"2"_s);
    QCOMPARE(model->index(5, ListModel::Understood).data().toString(), u"1"_s);
    QCOMPARE(model->index(5, ListModel::Skipped).data().toString(), u"1"_s);
    QCOMPARE(model->index(0, ListModel::Name).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));

    // A list switched off with its check box, and the whole guard with its switch, are kept.
    QVERIFY(model->setData(model->index(5, ListModel::Name), Qt::Unchecked, Qt::CheckStateRole));
    QVERIFY(w->chkGuard->isChecked());
    w->chkGuard->click();
    GuardSettings kept;
    QCOMPARE(kept.load(), QString());
    QVERIFY(kept.listsOff.contains(u"file:zz sites.txt"_s));
    QCOMPARE(kept.enabled, false);
    QVERIFY(w->lblState->text().startsWith(u"Guard is off"_s));
    w->chkGuard->click();
    QVERIFY(kept.load().isEmpty() && kept.enabled);
}

// Lists added by their address, fetched from a local server: a good one is used, a page
// without filters or a missing file is refused with the reason, and a good list whose
// address later serves a notice keeps its last good copy.
void TestGuardWindow::subscriptions()
{
    LocalHttpServer server;
    const QByteArray notice = "<html><body>Please sign in to download this list.</body></html>";
    server.addPage(u"/good.txt"_s, "! Title: Good\n||tracker.example^\n##.advert-box\n");
    server.addPage(u"/notice.txt"_s, notice);
    ListStore *store = ListStore::instance();
    const auto row = [&](const char *path) {
        for (int i = 0; i < store->lists().size(); ++i)
            if (store->lists()[i].source == server.url(QLatin1String(path)))
                return i;
        return -1;
    };
    const auto state = [&](const char *path) {
        const int r = row(path);
        return r < 0 ? QString() : store->lists()[r].state;
    };
    QString error;
    // rows: the address added, the state its row comes to.
    // clang-format off
    const struct { const char *path; QString state; } cases[] = {
        {"/good.txt",    u"Updated "_s},
        {"/notice.txt",  u"Update failed: the download holds no filters; no copy yet"_s},
        {"/missing.txt", u"Update failed: "_s},
    };
    // clang-format on
    for (const auto &c : cases) {
        QVERIFY2(store->addList(server.url(QLatin1String(c.path)), &error), qPrintable(error));
        QTRY_VERIFY2_WITH_TIMEOUT(state(c.path).startsWith(c.state), qPrintable(state(c.path)),
                                  20000);
    }
    QTRY_COMPARE_WITH_TIMEOUT(store->lists()[row("/good.txt")].understood, 2, 20000);
    QVERIFY(!store->addList(server.url(u"/good.txt"_s), &error));
    GuardSettings kept;
    QVERIFY(kept.load().isEmpty() && kept.addedAddresses.size() == 3);

    server.addPage(u"/good.txt"_s, notice);
    store->updateNow();
    QTRY_VERIFY2_WITH_TIMEOUT(
        state("/good.txt")
            .startsWith(u"Update failed: the download holds no filters; keeping the copy of"_s),
        qPrintable(state("/good.txt")), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(store->indexState().startsWith(u"Ready"_s), 20000);
    QCOMPARE(store->lists()[row("/good.txt")].understood, 2);

    // Removed, an added list leaves the table and guard.ini; a default one only switches off.
    QVERIFY(store->removeList(row("/notice.txt"), &error));
    QCOMPARE(row("/notice.txt"), -1);
    QVERIFY(kept.load().isEmpty() && kept.addedAddresses.size() == 2);
    QVERIFY(!store->removeList(0, &error) && error.contains(u"switched off"_s));
}

void TestGuardWindow::warningPage()
{
    // rows: list, dangerous, words the page must hold.
    const QUrl url(u"http://bad.example/setup.exe?a=<b>"_s);
    const QString page = guard::BrowserGuard::WarningPage(
        url, u"Badware <risks>"_s, true, u"http://x/continue/t"_s, u"http://x/back/t"_s);
    for (const QString &words :
         {u"<title>Warning: bad.example</title>"_s, u"Badware &lt;risks&gt;"_s, u">Go back</a>"_s,
          u">Continue to the site once</a>"_s, u"href='http://x/continue/t'"_s})
        QVERIFY2(page.contains(words), qPrintable(words));
    QVERIFY(!page.contains(u"<risks>"_s) && !page.contains(u"a=<b>"_s));
}

QTEST_MAIN(TestGuardWindow)
#include "tst_guardwindow.moc"
