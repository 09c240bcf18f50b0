#include "FakeWebBrowser.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "browse/Form1.h"
#include "platform/App.h"
#include "platform/Settings.h"
#include "settings/frmSettings.h"

#include <QtTest>
#include <QtWidgets>

#include <optional>

// The browser window's load and the way its control's events reach the main window. Each
// test gets a private world; start() then opens the main window on the settings it saved.
class TestForm1 : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { env.emplace(); }
    void cleanup() { env.reset(); }
    void progressBarAndResize()
    {
        // clang-format off
        const int rows[][3] = { // progress, maximum, value; -1: a divisor the bar cannot use
            {15000,   10000,   49},  // past the end wraps
            {101,     100,     0},
            {99,      199,     99},  // the divisor truncates
            {50,      99,      -1},
            {3276799, 3276799, 100}, // the largest 16-bit divisor
            {1000,    3276800, -1},
        };
        // clang-format on
        for (const auto &[progress, progressMax, value] : rows)
            QCOMPARE(Form1::ProgressValue(progress, progressMax), value);
        platform::SaveSetting(QStringLiteral("TB"), QStringLiteral("1"));
        start();
        QProgressBar *bar = main->ProgressBar1;
        const auto seen = [&] { return QPair {bar->isVisible(), bar->value()}; };

        Q_EMIT web->ProgressChange(2500, 10000);
        QCOMPARE(seen(), QPair(true, 25));
        // A divisor the bar cannot use leaves it as it was.
        Q_EMIT web->ProgressChange(50, 99);
        QCOMPARE(seen(), QPair(true, 25));
        Q_EMIT web->ProgressChange(-1, 10000);
        QCOMPARE(seen(), QPair(false, 0));
        // With "Progress Bar" off a load never shows the bar, though its value still moves.
        main->mnuViewProgBar->trigger();
        Q_EMIT web->ProgressChange(5000, 10000);
        QCOMPARE(seen(), QPair(false, 50));
        // Switching it off does not hide a bar that is showing; the download's end does.
        main->mnuViewProgBar->trigger();
        Q_EMIT web->ProgressChange(6000, 10000);
        main->mnuViewProgBar->trigger();
        QVERIFY(bar->isVisible());
        web->completeLoad(QStringLiteral("http://a.example/"));
        QVERIFY(!bar->isVisible());

        // The control fills the window above the status bar, but for a minimized frame.
        const auto resized = [&](int width, int height) {
            browser->resize(width, height);
            browser->Form_Resize();
            return browser->WebBrowser1->size();
        };
        const QSize first(600, 400 - platform::Twips(250));
        QCOMPARE(resized(600, 400), first);
        main->setWindowState(Qt::WindowMinimized);
        QCOMPARE(resized(500, 300), first);
        // Shorter than the status bar: the control gets no height rather than a negative one.
        main->setWindowState(Qt::WindowNoState);
        QCOMPARE(resized(500, 5), QSize(500, 0));
    }

    void downloadCompleteUpdatesAddressAndCaption()
    {
        start();
        QCOMPARE(browser->windowTitle(), QStringLiteral("Browser"));
        Q_EMIT web->StatusTextChange(QStringLiteral("Opening page"));
        QCOMPARE(browser->StatusBarPanel1->text(), QStringLiteral("Opening page"));

        main->Combo1->setEditText(QStringLiteral("typed.example"));
        // One page, two downloads: both go into the list.
        for (int i = 0; i < 2; ++i)
            web->completeLoad(QStringLiteral("http://typed.example/"), QStringLiteral("Typed"));
        QCOMPARE(main->Combo1->currentText(), QStringLiteral("http://typed.example/"));
        QCOMPARE(main->Combo1->count(), 2);
        QCOMPARE(main->Combo1->itemText(1), QStringLiteral("http://typed.example/"));
        QCOMPARE(browser->windowTitle(), QStringLiteral("Typed"));
        QCOMPARE(main->windowTitle(), QStringLiteral("Scoutwell v3.3 - [Typed]"));
        // A page without a title is named by its address.
        web->completeLoad(QStringLiteral("http://untitled.example/"));
        QCOMPARE(browser->windowTitle(), QStringLiteral("http://untitled.example/"));
        // Back and Forward wait for a fourth address in the list, whatever the engine says.
        const auto backAndForward = [&] {
            Q_EMIT web->CommandStateChange(platform::CSC_NAVIGATEBACK, false);
            return main->btnBack->isEnabled() + main->btnForward->isEnabled();
        };
        QCOMPARE(backAndForward(), 0);
        web->completeLoad(QStringLiteral("http://fourth.example/"));
        QCOMPARE(backAndForward(), 2);
    }

    void startPageIsPassedUnchanged()
    {
        for (const QString page : {"", "example.org", " http://a.example/ "}) {
            env.emplace();
            platform::SaveSetting(QStringLiteral("Start Page"), page);
            start();
            QCOMPARE(web->navigations, QStringList {page.isEmpty() ? "about:blank" : page});
            QCOMPARE(main->Combo1->currentText(), page);
            QCOMPARE(main->Combo1->count(), 0);
        }
    }

    void recreatedAfterTheUserClosedIt()
    {
        platform::SaveSetting(QStringLiteral("Home Page"), QStringLiteral("http://home.example/"));
        start();
        frmSettings *settings = Forms::get<frmSettings>();
        settings->txtHomePage->setText(QStringLiteral("unsaved edit"));
        settings->txtStartPage->setText(QStringLiteral("http://unsaved.example/"));
        qobject_cast<QMdiSubWindow *>(browser->parentWidget())->close();
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

private:
    void start()
    {
        main = Forms::Show<MDIForm1>();
        browser = Forms::get<Form1>();
        web = qobject_cast<FakeWebBrowser *>(browser->WebBrowser1);
    }
    std::optional<TestEnv> env;
    MDIForm1 *main = nullptr;
    Form1 *browser = nullptr;
    FakeWebBrowser *web = nullptr;
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
