#include "FakeWebBrowser.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/Hosts.h"
#include "app/MDIForm1.h"
#include "browse/Form1.h"
#include "platform/Settings.h"
#include "settings/frmSettings.h"

#include <QAction>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

// The six navigation commands, reached through their toolbar buttons and through the
// hidden Navigation menu's items.
class TestNavigation : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void command_data();
    void command();
    void commandRecreatesAClosedBrowser();
    void homeUsesTheFieldNotTheStore();
};

namespace {

QToolButton *button(MDIForm1 *main, const QString &command)
{
    return main->findChild<QToolButton *>(QStringLiteral("btn") + command);
}

QAction *action(MDIForm1 *main, const QString &command)
{
    return main->findChild<QAction *>(QStringLiteral("mnu") + command);
}

// The keys a person presses for each command.
QKeySequence shortcutOf(const QString &command)
{
    const QHash<QString, QKeySequence> keys = {
        {"Back", QKeySequence(Qt::CTRL | Qt::Key_B)},
        {"Forward", QKeySequence(Qt::CTRL | Qt::Key_F)},
        {"Stop", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {"Refresh", QKeySequence(Qt::Key_F5)},
        {"Home", QKeySequence(Qt::CTRL | Qt::Key_H)},
        {"Search", QKeySequence(Qt::Key_F12)},
    };
    return keys.value(command);
}

} // namespace

void TestNavigation::command_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("via"); // "button", "menu" or "shortcut"
    QTest::addColumn<QStringList>("settings"); // key, value pairs stored before the start
    QTest::addColumn<QString>("location"); // what the browser reports as shown
    QTest::addColumn<QStringList>("navigations");
    QTest::addColumn<QList<int>>("calls"); // back, forward, stop

    const QString redirected = QStringLiteral("http://127.0.0.1:8080/landed.html");
    for (const char *via : {"button", "menu", "shortcut"}) {
        QTest::addRow("Back, %s", via) << "Back" << via << QStringList() << redirected
                                       << QStringList() << QList<int> {1, 0, 0};
        QTest::addRow("Forward, %s", via) << "Forward" << via << QStringList() << redirected
                                          << QStringList() << QList<int> {0, 1, 0};
        QTest::addRow("Stop, %s", via) << "Stop" << via << QStringList() << redirected
                                       << QStringList() << QList<int> {0, 0, 1};
        QTest::addRow("Refresh after a redirect, %s", via)
            << "Refresh" << via << QStringList() << redirected << QStringList {redirected}
            << QList<int> {0, 0, 0};
        QTest::addRow("Refresh with nothing shown, %s", via)
            << "Refresh" << via << QStringList() << "" << QStringList() << QList<int> {0, 0, 0};
        QTest::addRow("Home, %s", via)
            << "Home" << via << QStringList {"Home Page", "about:blank"} << redirected
            << QStringList {"about:blank"} << QList<int> {0, 0, 0};
        QTest::addRow("Home unset, %s", via) << "Home" << via << QStringList() << redirected
                                             << QStringList() << QList<int> {0, 0, 0};
        QTest::addRow("Search, default, %s", via)
            << "Search" << via << QStringList() << redirected
            << QStringList {QString::fromUtf8(hosts::Dogpile)} << QList<int> {0, 0, 0};
        QTest::addRow("Search, bare host, %s", via)
            << "Search" << via << QStringList {"Search-Engine", "search.example"} << redirected
            << QStringList {"search.example"} << QList<int> {0, 0, 0};
        QTest::addRow("Search emptied, %s", via)
            << "Search" << via << QStringList {"Search-Engine", ""} << redirected << QStringList()
            << QList<int> {0, 0, 0};
    }
}

void TestNavigation::command()
{
    QFETCH(QString, command);
    QFETCH(QString, via);
    QFETCH(QStringList, settings);
    QFETCH(QString, location);
    QFETCH(QStringList, navigations);
    QFETCH(QList<int>, calls);
    TestEnv env;
    for (qsizetype i = 0; i + 1 < settings.size(); i += 2)
        platform::SaveSetting(settings[i], settings[i + 1]);
    MDIForm1 *main = Forms::get<MDIForm1>();
    FakeWebBrowser *browser = FakeWebBrowser::last();
    browser->navigations.clear();
    browser->locationUrl = location;
    // A settings window the user has open disappears after Home and Search.
    Forms::Show<frmSettings>();

    if (via == QLatin1String("menu")) {
        QAction *a = action(main, command);
        QVERIFY(a);
        a->trigger();
    } else if (via == QLatin1String("shortcut")) {
        const QKeySequence key = shortcutOf(command);
        main->show();
        main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main));
        QTest::keySequence(main, key);
    } else {
        QToolButton *b = button(main, command);
        QVERIFY(b);
        // Back and Forward wait for the address list to grow; the command does not care.
        b->setEnabled(true);
        QTest::mouseClick(b, Qt::LeftButton);
    }

    QCOMPARE(browser->navigations, navigations);
    QCOMPARE((QList<int> {browser->backCalls, browser->forwardCalls, browser->stopCalls}), calls);
    const bool hides = command == QLatin1String("Home") || command == QLatin1String("Search");
    QCOMPARE(Forms::get<frmSettings>()->isVisible(), !hides);
    QVERIFY(env.boxes.isEmpty());
}

void TestNavigation::commandRecreatesAClosedBrowser()
{
    TestEnv env;
    platform::SaveSetting(QStringLiteral("Start Page"), QStringLiteral("start.example"));
    MDIForm1 *main = Forms::get<MDIForm1>();
    FakeWebBrowser *first = FakeWebBrowser::last();
    Forms::Unload<Form1>();
    QVERIFY(!Forms::isLoaded<Form1>());
    main->mnuBack->trigger();
    QVERIFY(Forms::isLoaded<Form1>());
    FakeWebBrowser *second = FakeWebBrowser::last();
    QVERIFY(second != first);
    QCOMPARE(second->navigations, QStringList {"start.example"});
    QCOMPARE(second->backCalls, 1);
}

void TestNavigation::homeUsesTheFieldNotTheStore()
{
    TestEnv env;
    platform::SaveSetting(QStringLiteral("Home Page"), QStringLiteral("http://saved.example/"));
    MDIForm1 *main = Forms::get<MDIForm1>();
    FakeWebBrowser *browser = FakeWebBrowser::last();
    browser->navigations.clear();
    // Typed but not saved: Home goes where the field says.
    Forms::get<frmSettings>()->txtHomePage->setText(QStringLiteral("http://typed.example/"));
    QTest::mouseClick(main->btnHome, Qt::LeftButton);
    QCOMPARE(browser->navigations, QStringList {"http://typed.example/"});
    QCOMPARE(platform::GetSetting(QStringLiteral("Home Page")),
             QStringLiteral("http://saved.example/"));
}

QTEST_MAIN(TestNavigation)
#include "tst_basnav.moc"
