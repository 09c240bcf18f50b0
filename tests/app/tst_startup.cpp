#include "TestEnv.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "app/frmSplash.h"
#include "security/Security2.h"
#include "security/frmLogin.h"

#include <QLabel>
#include <QTimer>
#include <QtTest>

// The start-up decisions: which window opens, and when. A fresh profile's start and what it
// stores are the end-to-end start-up run's.
class TestStartup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void decisions_data()
    {
        QTest::addColumn<QString>("showSplash"); // "" = absent
        QTest::addColumn<QString>("pprog");
        QTest::addColumn<QString>("afterTick"); // "main", "login" or "splash"
        // clang-format off
        QTest::newRow("defaults")                  << ""    << ""   << "main";
        QTest::newRow("splash on, lock on")        << "1"   << "1"  << "login";
        QTest::newRow("odd lock keeps waiting")    << "1"   << "2"  << "splash";
        QTest::newRow("lock with a blank")         << "1"   << " 1" << "splash";
        QTest::newRow("splash 'yes' acts as on")   << "yes" << "1"  << "login";
        QTest::newRow("splash off skips the lock") << "0"   << "1"  << "main";
        // clang-format on
    }
    void decisions()
    {
        QFETCH(QString, showSplash);
        QFETCH(QString, pprog);
        QFETCH(QString, afterTick);
        TestEnv env;
        if (!showSplash.isEmpty())
            platform::SaveSetting(QStringLiteral("ShowSplash"), showSplash);
        if (!pprog.isEmpty())
            platform::SaveSetting(QStringLiteral("PProg"), pprog);
        Forms::Show<frmSplash>();
        // Without the splash the lock is never consulted.
        QCOMPARE(Forms::isLoaded<frmSplash>(), showSplash != QLatin1String("0"));
        if (Forms::isLoaded<frmSplash>()) {
            QVERIFY(Forms::get<frmSplash>()->isVisible() && !Forms::isLoaded<MDIForm1>());
            // Two ticks: an odd value must survive more than one check.
            for (int tick = 0; tick < 2 && Forms::isLoaded<frmSplash>(); ++tick)
                Forms::get<frmSplash>()->Timer1_Timer();
        }
        QCOMPARE(Forms::isLoaded<frmSplash>() && Forms::get<frmSplash>()->Timer1->isActive(),
                 afterTick == QLatin1String("splash"));
        QCOMPARE(Forms::isLoaded<MDIForm1>() && Forms::get<MDIForm1>()->isVisible(),
                 afterTick == QLatin1String("main"));
        QCOMPARE(Forms::isLoaded<frmLogin>() && Forms::get<frmLogin>()->isVisible(),
                 afterTick == QLatin1String("login"));
        if (afterTick == QLatin1String("splash"))
            QCOMPARE(Forms::get<Security2>()->lblProgram->text(), pprog);
        QVERIFY(env.boxes.isEmpty());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
