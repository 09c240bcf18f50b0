#include "FakeWebBrowser.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/Hosts.h"
#include "app/MDIForm1.h"
#include "browse/Form1.h"
#include "platform/Settings.h"
#include "settings/frmSettings.h"

#include <QtTest>
#include <QtWidgets>

struct Case
{
    QString command;
    QKeySequence key;
    QString location; // what the browser reports as shown
    QString address; // where the browser is sent; empty: nowhere
    QString stored = {}; // "key=value" saved before the start, if any
    QString typed = {}; // typed into the settings window's home field, not saved
    QList<int> calls = {0, 0, 0}; // back, forward, stop
    bool closed = false; // the browser window closed before: the command opens a new one
};

Q_DECLARE_METATYPE(Case)

// The six navigation commands, reached through their toolbar buttons and through the
// hidden Navigation menu's items and keys.
class TestNavigation : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void command_data()
    {
        QTest::addColumn<QString>("via"); // "button", "menu" or "shortcut"
        QTest::addColumn<Case>("c");
        const QString landed = QStringLiteral("http://127.0.0.1:8080/landed.html");
        const QKeySequence back = Qt::CTRL | Qt::Key_B, home = Qt::CTRL | Qt::Key_H;
        // clang-format off
        const QList<QPair<const char *, Case>> rows = {
            {"Back", {"Back", back, landed, "", "", "", {1, 0, 0}}},
            {"Forward", {"Forward", Qt::CTRL | Qt::Key_F, landed, "", "", "", {0, 1, 0}}},
            {"Stop", {"Stop", Qt::CTRL | Qt::Key_S, landed, "", "", "", {0, 0, 1}}},
            {"Back, browser closed", {"Back", back, "", "start.example", "Start Page=start.example", "", {1, 0, 0}, true}},
            {"Refresh after a redirect", {"Refresh", Qt::Key_F5, landed, landed}},
            {"Refresh with nothing shown", {"Refresh", Qt::Key_F5, "", ""}},
            {"Home, typed (a bare host) but not saved", {"Home", home, landed, "typed.example", "Home Page=saved.example", "typed.example"}},
            {"Search, default", {"Search", Qt::Key_F12, landed, hosts::Dogpile}},
            {"Search emptied", {"Search", Qt::Key_F12, landed, "", "Search-Engine="}},
        };
        // clang-format on
        for (const char *via : {"button", "menu", "shortcut"})
            for (const auto &[name, c] : rows)
                QTest::addRow("%s, %s", name, via) << QString::fromLatin1(via) << c;
    }

    void command()
    {
        QFETCH(QString, via);
        QFETCH(Case, c);
        TestEnv env;
        const QString key = c.stored.section('=', 0, 0), value = c.stored.section('=', 1);
        if (!c.stored.isEmpty())
            platform::SaveSetting(key, value);
        MDIForm1 *main = Forms::get<MDIForm1>();
        FakeWebBrowser::last()->navigations.clear();
        FakeWebBrowser::last()->locationUrl = c.location;
        if (c.closed)
            Forms::Unload<Form1>();
        // A settings window the user has open disappears after Home and Search.
        frmSettings *settings = Forms::Show<frmSettings>();
        if (!c.typed.isEmpty())
            settings->txtHomePage->setText(c.typed);

        if (via == QLatin1String("shortcut")) {
            main->show();
            main->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(main));
            QTest::keySequence(main, c.key);
        } else if (via == QLatin1String("menu")) {
            main->findChild<QAction *>("mnu" + c.command)->trigger();
        } else { // Back and Forward wait for the address list to grow; the command does not care
            QToolButton *b = main->findChild<QToolButton *>("btn" + c.command);
            b->setEnabled(true);
            QTest::mouseClick(b, Qt::LeftButton);
        }

        QVERIFY(Forms::isLoaded<Form1>());
        const FakeWebBrowser *browser = FakeWebBrowser::last();
        QCOMPARE(browser->navigations,
                 c.address.isEmpty() ? QStringList() : QStringList {c.address});
        QCOMPARE((QList<int> {browser->backCalls, browser->forwardCalls, browser->stopCalls}),
                 c.calls);
        QCOMPARE(settings->isVisible(), c.command != "Home" && c.command != "Search");
        QVERIFY(env.boxes.isEmpty());
        if (!c.stored.isEmpty()) // a command never saves what it used
            QCOMPARE(platform::GetSetting(key), value);
    }
};

QTEST_MAIN(TestNavigation)
#include "tst_basnav.moc"
