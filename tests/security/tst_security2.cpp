#include "TestEnv.h"
#include "app/Forms.h"
#include "platform/App.h"
#include "platform/Settings.h"
#include "security/Form3.h"
#include "security/Security2.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTextEdit>
#include <QtTest>

using platform::GetSetting;
using platform::SaveSetting;

namespace {

struct Switch
{
    QCheckBox *Security2::*box;
    QLabel *Security2::*carrier;
    QMenu *Security2::*menu;
    const char *key;
};

constexpr Switch kSwitches[] = {
    {&Security2::Check1, &Security2::lblLog, &Security2::mnuLogWT, "Log"},
    {&Security2::Check2, &Security2::lblProgram, &Security2::mnuProgWT, "PProg"},
    {&Security2::Check3, &Security2::lblPassword, &Security2::mnuPWordWT, "PSec"},
    {&Security2::Check4, &Security2::lblSet, &Security2::mnuPSetWT, "PSet"},
};

} // namespace

class TestSecurity2 : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void loadRule_data();
    void loadRule();
    void clickRule_data();
    void clickRule();
    void whatsThis_data();
    void whatsThis();
    void rsis_data();
    void rsis();
    void closingStoresNothing();
    void controlPanelMissing_data();
    void controlPanelMissing();
};

void TestSecurity2::loadRule_data()
{
    QTest::addColumn<QStringList>("stored"); // Log, PProg, PSec, PSet; "-" for absent
    QTest::addColumn<QString>("ticks"); // the four boxes after the load, "1" ticked
    QTest::addColumn<QStringList>("carriers");
    QTest::addColumn<QStringList>("storeAfter");
    QTest::newRow("fresh profile")
        << QStringList {"-", "-", "-", "-"} << "1000" << QStringList {"1", "0", "0", "0"}
        << QStringList {"PProg=0", "PSec=0"};
    QTest::newRow("all on") << QStringList {"1", "1", "1", "1"} << "1111"
                            << QStringList {"1", "1", "1", "1"}
                            << QStringList {"Log=1", "PProg=1", "PSec=1", "PSet=1"};
    QTest::newRow("all off") << QStringList {"0", "0", "0", "0"} << "0000"
                             << QStringList {"0", "0", "0", "0"}
                             << QStringList {"Log=0", "PProg=0", "PSec=0", "PSet=0"};
    // Neither "0" nor "1": the boxes keep their first states and the store is untouched.
    QTest::newRow("odd texts") << QStringList {"yes", " 1", "", "2"} << "1110"
                               << QStringList {"yes", " 1", "", "2"}
                               << QStringList {"Log=yes", "PProg= 1", "PSec=", "PSet=2"};
}

void TestSecurity2::loadRule()
{
    QFETCH(QStringList, stored);
    QFETCH(QString, ticks);
    QFETCH(QStringList, carriers);
    QFETCH(QStringList, storeAfter);
    TestEnv env;
    for (int i = 0; i < 4; ++i) {
        if (stored[i] != QLatin1String("-"))
            SaveSetting(QLatin1String(kSwitches[i].key), stored[i]);
    }
    Security2 *s = Forms::get<Security2>();
    QVERIFY(!s->isVisible());
    for (int i = 0; i < 4; ++i) {
        QCOMPARE((s->*kSwitches[i].box)->isChecked(), ticks[i] == QLatin1Char('1'));
        QCOMPARE((s->*kSwitches[i].carrier)->text(), carriers[i]);
    }
    QCOMPARE(env.storedSettings(), storeAfter);
}

void TestSecurity2::clickRule_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("before"); // stored before the load, "-" for absent
    QTest::addColumn<QString>("action"); // "click", "tick" or "clear" (by code)
    QTest::addColumn<QString>("after"); // stored after the action; "untouched" when not written
    QTest::newRow("click Log") << 0 << "-"
                               << "click"
                               << "0";
    QTest::newRow("click Program") << 1 << "-"
                                   << "click"
                                   << "1";
    QTest::newRow("click Security Area twice back") << 2 << "1"
                                                    << "click"
                                                    << "0";
    QTest::newRow("tick Settings") << 3 << "-"
                                   << "tick"
                                   << "1";
    QTest::newRow("Settings 2, ticked") << 3 << "2"
                                        << "tick"
                                        << "1";
    QTest::newRow("Settings 2, cleared while clear") << 3 << "2"
                                                     << "clear"
                                                     << "untouched";
    QTest::newRow("Log ticked while ticked") << 0 << "1"
                                             << "tick"
                                             << "untouched";
    QTest::newRow("Program cleared while clear") << 1 << "0"
                                                 << "clear"
                                                 << "untouched";
    QTest::newRow("Security Area cleared") << 2 << "1"
                                           << "clear"
                                           << "0";
}

void TestSecurity2::clickRule()
{
    QFETCH(int, which);
    QFETCH(QString, before);
    QFETCH(QString, action);
    QFETCH(QString, after);
    TestEnv env;
    const QString key = QLatin1String(kSwitches[which].key);
    if (before != QLatin1String("-"))
        SaveSetting(key, before);
    Security2 *s = Forms::Show<Security2>();
    QCheckBox *box = s->*kSwitches[which].box;
    // Overwrite what the load left, so that a write by the action shows.
    SaveSetting(key, QStringLiteral("untouched"));
    const QString carrierBefore = (s->*kSwitches[which].carrier)->text();
    if (action == QLatin1String("click"))
        QTest::mouseClick(box, Qt::LeftButton);
    else
        box->setChecked(action == QLatin1String("tick"));
    QCOMPARE(GetSetting(key), after);
    QCOMPARE((s->*kSwitches[which].carrier)->text(),
             after == QLatin1String("untouched") ? carrierBefore : after);
}

void TestSecurity2::whatsThis_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("text");
    QTest::newRow("Log") << 0
                         << "Enabling this allows you to log every single website visited using "
                            "Scoutwell. Logs are saved in this applications folder.";
    QTest::newRow("Program")
        << 1
        << "Enabling this will prevent any person from running this program without providing a "
           "password.\n\nNote: If you forget your password and this option is enabled, you will "
           "not be able to run it.";
    QTest::newRow("Security Area")
        << 2 << "Enabling this allows you to password protect this security area.";
    QTest::newRow("Settings") << 3
                              << "Enabling this will prevent any person from accessing the "
                                 "Settings options without providing the password.";
}

void TestSecurity2::whatsThis()
{
    QFETCH(int, which);
    QFETCH(QString, text);
    TestEnv env;
    Security2 *s = Forms::Show<Security2>();
    QCheckBox *box = s->*kSwitches[which].box;
    QMenu *menu = s->*kSwitches[which].menu;
    const bool ticked = box->isChecked();
    const auto inView = [s](QWidget *w) {
        return s->rect().contains(QRect(w->mapTo(s, QPoint(0, 0)), w->size()));
    };
    QVERIFY(!inView(s->Frame1));

    QTest::mousePress(box, Qt::RightButton);
    QTest::mouseRelease(box, Qt::RightButton);
    QVERIFY(menu->isVisible());
    QCOMPARE(box->isChecked(), ticked); // the right button toggles nothing
    QCOMPARE(menu->actions().size(), 1);
    QCOMPARE(menu->actions().first()->text(), QStringLiteral("Whats This?"));
    menu->actions().first()->trigger();
    menu->hide();
    QCOMPARE(s->txtInfo->toPlainText(), text);
    QVERIFY(inView(s->Frame1));
    QVERIFY(inView(s->Command1));

    QTest::mouseClick(s->Command1, Qt::LeftButton);
    QVERIFY(!inView(s->Frame1));
    QCOMPARE(s->width(), platform::Twips(Security2::kClientWidth));
}

void TestSecurity2::rsis_data()
{
    QTest::addColumn<int>("outerBefore"); // twips
    QTest::addColumn<int>("outerAfter");
    QTest::newRow("4530 widens") << 4530 << 6345;
    QTest::newRow("a pixel wider stays") << 4545 << 4545;
    QTest::newRow("designed width stays") << 3090 << 3090;
}

void TestSecurity2::rsis()
{
    QFETCH(int, outerBefore);
    QFETCH(int, outerAfter);
    TestEnv env;
    Security2 *s = Forms::Show<Security2>();
    const int frame = s->frameGeometry().width() - s->width();
    s->setFixedWidth(platform::Twips(outerBefore) - frame);
    s->RSis();
    QCOMPARE(s->frameGeometry().width(), platform::Twips(outerAfter));
}

void TestSecurity2::closingStoresNothing()
{
    TestEnv env;
    SaveSetting(QStringLiteral("PSet"), QStringLiteral("2"));
    for (bool titleBar : {false, true}) {
        Security2 *s = Forms::Show<Security2>();
        const QStringList before = env.storedSettings();
        if (titleBar)
            s->close();
        else
            QTest::mouseClick(s->cmdSave, Qt::LeftButton);
        QVERIFY(!Forms::isLoaded<Security2>());
        QCOMPARE(env.storedSettings(), before);
    }
    // The next use reads the store afresh.
    QCOMPARE(Forms::get<Security2>()->lblSet->text(), QStringLiteral("2"));

    QTest::mouseClick(Forms::Show<Security2>()->cmdCPword, Qt::LeftButton);
    QVERIFY(Forms::isLoaded<Form3>() && Forms::get<Form3>()->isVisible());
}

void TestSecurity2::controlPanelMissing_data()
{
    QTest::addColumn<bool>("internet");
    QTest::addColumn<QString>("message");
    QTest::newRow("Internet Options")
        << true
        << "No program for the network and internet settings is installed on this computer.\n\n"
           "Install one of these programs to change them: gnome-control-center, "
           "nm-connection-editor, systemsettings, cinnamon-settings.";
    QTest::newRow("Modem Options")
        << false
        << "No program for the modem settings is installed on this computer.\n\nInstall one of "
           "these programs to change them: modem-manager-gui, gnome-control-center, "
           "nm-connection-editor.";
}

void TestSecurity2::controlPanelMissing()
{
    QFETCH(bool, internet);
    QFETCH(QString, message);
    TestEnv env;
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(env.path() + QStringLiteral("/empty")));
    qputenv("XDG_CURRENT_DESKTOP", "GNOME");
    Security2 *s = Forms::Show<Security2>();
    QTest::mouseClick(internet ? s->Command2 : s->Command3, Qt::LeftButton);
    qputenv("PATH", oldPath);
    QCOMPARE(env.boxes.size(), 1);
    QCOMPARE(env.boxes[0].prompt, message);
    QCOMPARE(env.boxes[0].style, int(platform::vbExclamation));
    QCOMPARE(env.boxes[0].title, QStringLiteral("Scoutwell v3.3"));
    QVERIFY(s->isVisible());
}

QTEST_MAIN(TestSecurity2)
#include "tst_security2.moc"
