#include "FakeWebBrowser.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "browse/Form1.h"
#include "platform/App.h"
#include "platform/Settings.h"
#include "settings/frmSettings.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QToolButton>
#include <QtTest>

// The browser window's load and the way its control's events reach the main window.
class TestForm1 : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void progressValue_data();
    void progressValue();
    void progressBarFollowsEvents();
    void backAndForwardFollowTheAddressList();
    void downloadCompleteUpdatesAddressAndCaption();
    void startPageIsPassedUnchanged_data();
    void startPageIsPassedUnchanged();
    void resizeRule();
    void recreatedAfterTheUserClosedIt();
};

namespace {
FakeWebBrowser *start(MDIForm1 **main = nullptr)
{
    MDIForm1 *m = Forms::Show<MDIForm1>();
    if (main)
        *main = m;
    return qobject_cast<FakeWebBrowser *>(Forms::get<Form1>()->WebBrowser1);
}
} // namespace

void TestForm1::progressValue_data()
{
    QTest::addColumn<int>("progress");
    QTest::addColumn<int>("progressMax");
    QTest::addColumn<int>("value");
    QTest::newRow("quarter") << 2500 << 10000 << 25;
    QTest::newRow("past the end wraps") << 15000 << 10000 << 49;
    QTest::newRow("99 of 100") << 99 << 100 << 99;
    QTest::newRow("exactly 101 wraps to 0") << 101 << 100 << 0;
    QTest::newRow("divisor truncates") << 99 << 199 << 99;
    QTest::newRow("max below 100: no divisor") << 50 << 99 << -1;
    QTest::newRow("largest 16-bit divisor") << 3276799 << 3276799 << 100;
    QTest::newRow("divisor past 16 bits") << 1000 << 3276800 << -1;
    QTest::newRow("huge max") << 2000000000 << 2147483647 << -1;
}

void TestForm1::progressValue()
{
    QFETCH(int, progress);
    QFETCH(int, progressMax);
    QFETCH(int, value);
    QCOMPARE(Form1::ProgressValue(progress, progressMax), value);
}

void TestForm1::progressBarFollowsEvents()
{
    TestEnv env;
    platform::SaveSetting(QStringLiteral("TB"), QStringLiteral("1"));
    MDIForm1 *main = nullptr;
    FakeWebBrowser *web = start(&main);
    QProgressBar *bar = main->ProgressBar1;

    Q_EMIT web->ProgressChange(2500, 10000);
    QVERIFY(bar->isVisible());
    QCOMPARE(bar->value(), 25);
    // A divisor the bar cannot use leaves it as it was.
    Q_EMIT web->ProgressChange(50, 99);
    QVERIFY(bar->isVisible());
    QCOMPARE(bar->value(), 25);
    Q_EMIT web->ProgressChange(-1, 10000);
    QVERIFY(!bar->isVisible());
    QCOMPARE(bar->value(), 0);

    // With "Progress Bar" off a load never shows the bar, though its value still moves.
    main->mnuViewProgBar->trigger();
    Q_EMIT web->ProgressChange(5000, 10000);
    QVERIFY(!bar->isVisible());
    QCOMPARE(bar->value(), 50);

    // Switching it off does not hide a bar that is showing; the download's end does.
    main->mnuViewProgBar->trigger();
    Q_EMIT web->ProgressChange(6000, 10000);
    main->mnuViewProgBar->trigger();
    QVERIFY(bar->isVisible());
    web->completeLoad(QStringLiteral("http://a.example/"));
    QVERIFY(!bar->isVisible());
}

void TestForm1::backAndForwardFollowTheAddressList()
{
    TestEnv env;
    MDIForm1 *main = nullptr;
    FakeWebBrowser *web = start(&main);
    for (int i = 1; i <= 4; ++i) {
        web->completeLoad(QStringLiteral("http://site.example/%1").arg(i));
        Q_EMIT web->CommandStateChange(platform::CSC_NAVIGATEBACK, false);
        QCOMPARE(main->btnBack->isEnabled(), i > 3);
        QCOMPARE(main->btnForward->isEnabled(), i > 3);
    }
}

void TestForm1::downloadCompleteUpdatesAddressAndCaption()
{
    TestEnv env;
    MDIForm1 *main = nullptr;
    FakeWebBrowser *web = start(&main);
    Form1 *browser = Forms::get<Form1>();
    QCOMPARE(browser->windowTitle(), QStringLiteral("Browser"));
    QCOMPARE(main->Combo1->currentText(), QString());

    Q_EMIT web->StatusTextChange(QStringLiteral("Opening page"));
    QCOMPARE(browser->StatusBarPanel1->text(), QStringLiteral("Opening page"));

    main->Combo1->setEditText(QStringLiteral("typed.example"));
    // One page, two downloads: both go into the list.
    web->completeLoad(QStringLiteral("http://typed.example/"), QStringLiteral("Typed"));
    web->completeLoad(QStringLiteral("http://typed.example/"), QStringLiteral("Typed"));
    QCOMPARE(main->Combo1->currentText(), QStringLiteral("http://typed.example/"));
    QCOMPARE(main->Combo1->count(), 2);
    QCOMPARE(main->Combo1->itemText(1), QStringLiteral("http://typed.example/"));
    QCOMPARE(browser->windowTitle(), QStringLiteral("Typed"));
    QCOMPARE(main->windowTitle(), QStringLiteral("Scoutwell v3.3 - [Typed]"));

    // A page without a title is named by its address.
    web->completeLoad(QStringLiteral("http://untitled.example/"));
    QCOMPARE(browser->windowTitle(), QStringLiteral("http://untitled.example/"));
}

void TestForm1::startPageIsPassedUnchanged_data()
{
    QTest::addColumn<QString>("startPage");
    QTest::addColumn<QString>("navigated");
    QTest::addColumn<QString>("addressBox");
    QTest::newRow("empty") << ""
                           << "about:blank"
                           << "";
    QTest::newRow("bare host") << "example.org"
                               << "example.org"
                               << "example.org";
    QTest::newRow("blanks kept") << " http://a.example/ "
                                 << " http://a.example/ "
                                 << " http://a.example/ ";
}

void TestForm1::startPageIsPassedUnchanged()
{
    QFETCH(QString, startPage);
    QFETCH(QString, navigated);
    QFETCH(QString, addressBox);
    TestEnv env;
    platform::SaveSetting(QStringLiteral("Start Page"), startPage);
    MDIForm1 *main = nullptr;
    FakeWebBrowser *web = start(&main);
    QCOMPARE(web->navigations, QStringList {navigated});
    QCOMPARE(main->Combo1->currentText(), addressBox);
    QCOMPARE(main->Combo1->count(), 0);
}

void TestForm1::resizeRule()
{
    TestEnv env;
    MDIForm1 *main = nullptr;
    start(&main);
    Form1 *browser = Forms::get<Form1>();
    browser->resize(600, 400);
    browser->Form_Resize();
    QCOMPARE(browser->WebBrowser1->size(), QSize(600, 400 - platform::Twips(250)));

    main->setWindowState(Qt::WindowMinimized);
    browser->resize(500, 300);
    browser->Form_Resize();
    QCOMPARE(browser->WebBrowser1->size(), QSize(600, 400 - platform::Twips(250)));

    // Shorter than the status bar: the control gets no height rather than a negative one.
    main->setWindowState(Qt::WindowNoState);
    browser->resize(500, 5);
    browser->Form_Resize();
    QCOMPARE(browser->WebBrowser1->size(), QSize(500, 0));
}

void TestForm1::recreatedAfterTheUserClosedIt()
{
    TestEnv env;
    platform::SaveSetting(QStringLiteral("Home Page"), QStringLiteral("http://home.example/"));
    MDIForm1 *main = nullptr;
    start(&main);
    frmSettings *settings = Forms::get<frmSettings>();
    QCOMPARE(settings->SE->text(), QStringLiteral("http://www.dogpile.com"));
    settings->txtHomePage->setText(QStringLiteral("unsaved edit"));
    settings->txtStartPage->setText(QStringLiteral("http://unsaved.example/"));
    Form1 *first = Forms::get<Form1>();
    qobject_cast<QMdiSubWindow *>(first->parentWidget())->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!Forms::isLoaded<Form1>());

    Form1 *second = Forms::get<Form1>();
    QVERIFY(second->isVisible());
    auto *sub = qobject_cast<QMdiSubWindow *>(second->parentWidget());
    QVERIFY(sub && sub->isMaximized());
    // A loaded settings window's field is the start page, saved or not.
    QCOMPARE(FakeWebBrowser::last()->navigations,
             QStringList {QStringLiteral("http://unsaved.example/")});
    QCOMPARE(main->mdiArea()->subWindowList().size(), 1);
    // The new window's load put the stored values back into the settings fields.
    QCOMPARE(settings->txtHomePage->text(), QStringLiteral("http://home.example/"));
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
