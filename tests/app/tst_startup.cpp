#include "FakeWebBrowser.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "app/frmSplash.h"
#include "platform/Settings.h"
#include "security/Security2.h"
#include "security/frmLogin.h"

#include <QCheckBox>
#include <QLabel>
#include <QTimer>
#include <QtTest>

// The start-up decisions: which window opens, when, and what the store holds afterwards.
class TestStartup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void decisions_data()
    {
        QTest::addColumn<QString>("showSplash"); // "" = absent
        QTest::addColumn<QString>("pprog");
        QTest::addColumn<bool>("splashWaits"); // still up after its load
        QTest::addColumn<QString>("afterTick"); // "main", "login" or "splash"
        // clang-format off
        QTest::newRow("defaults")                  << ""    << ""   << true  << "main";
        QTest::newRow("splash on, no lock")        << "1"   << "0"  << true  << "main";
        QTest::newRow("splash on, lock on")        << "1"   << "1"  << true  << "login";
        QTest::newRow("odd lock keeps waiting")    << "1"   << "2"  << true  << "splash";
        QTest::newRow("lock with a blank")         << "1"   << " 1" << true  << "splash";
        QTest::newRow("splash 'yes' acts as on")   << "yes" << "1"  << true  << "login";
        QTest::newRow("splash off skips the lock") << "0"   << "1"  << false << "main";
        // clang-format on
    }

    void decisions()
    {
        QFETCH(QString, showSplash);
        QFETCH(QString, pprog);
        QFETCH(bool, splashWaits);
        QFETCH(QString, afterTick);
        TestEnv env;
        if (!showSplash.isEmpty())
            platform::SaveSetting(QStringLiteral("ShowSplash"), showSplash);
        if (!pprog.isEmpty())
            platform::SaveSetting(QStringLiteral("PProg"), pprog);

        Forms::Show<frmSplash>();
        QCOMPARE(Forms::isLoaded<frmSplash>(), splashWaits);
        if (splashWaits) {
            frmSplash *splash = Forms::get<frmSplash>();
            QVERIFY(splash->isVisible() && splash->Label2->isVisible()
                    && !splash->Label3->isVisible());
            QVERIFY(splash->Timer1->isActive() && !splash->Timer2->isActive());
            QCOMPARE(splash->Timer1->interval(), 2000);
            QVERIFY(!Forms::isLoaded<MDIForm1>());
            // Two ticks: an odd value must survive more than one check.
            for (int tick = 0; tick < 2 && Forms::isLoaded<frmSplash>(); ++tick)
                Forms::get<frmSplash>()->Timer1_Timer();
        }
        // Without the splash the lock is never consulted.
        QCOMPARE(Forms::isLoaded<frmSplash>() && Forms::get<frmSplash>()->Timer1->isActive(),
                 afterTick == QLatin1String("splash"));
        QCOMPARE(Forms::isLoaded<MDIForm1>() && Forms::get<MDIForm1>()->isVisible(),
                 afterTick == QLatin1String("main"));
        QCOMPARE(Forms::isLoaded<frmLogin>() && Forms::get<frmLogin>()->isVisible(),
                 afterTick == QLatin1String("login"));
        if (afterTick == QLatin1String("splash"))
            QCOMPARE(Forms::get<Security2>()->lblProgram->text(), pprog);
        QVERIFY(env.boxes.isEmpty());
        // A fresh profile keeps only what the hidden windows' loads wrote.
        if (showSplash.isEmpty()) {
            QCOMPARE(FakeWebBrowser::last()->navigations, QStringList {"about:blank"});
            QCOMPARE(env.storedSettings(), QStringList({"PProg=0", "PSec=0", "ShowSplash=1"}));
        }
    }

    void registryKeepsOneInstance()
    {
        TestEnv env;
        Security2 *first = Forms::get<Security2>();
        QVERIFY(!first->isVisible());
        QCOMPARE(Forms::Show<Security2>(), first);
        Forms::Hide<Security2>();
        QVERIFY(!first->isVisible() && Forms::isLoaded<Security2>());

        // Unloading frees the slot at once; the next request loads a new window from the store.
        first->Check4->setChecked(true);
        Forms::Unload<Security2>();
        QVERIFY(!Forms::isLoaded<Security2>());
        platform::SaveSetting(QStringLiteral("PSet"), QStringLiteral("0"));
        QVERIFY(!Forms::get<Security2>()->Check4->isChecked());

        // A window closed through its title bar is gone too.
        Forms::Show<Security2>()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!Forms::isLoaded<Security2>());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
