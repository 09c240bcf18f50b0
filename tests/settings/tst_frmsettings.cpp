#include "TestEnv.h"
#include "app/Forms.h"
#include "platform/Settings.h"
#include "settings/frmSettings.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

class TestFrmSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void loadReadsTheStore_data();
    void loadReadsTheStore();
    void splashBoxWritesAtOnce();
    void defaultsChangeOnlyTheFields_data();
    void defaultsChangeOnlyTheFields();
    void saveStoresExactlyAsTyped();
};

void TestFrmSettings::loadReadsTheStore_data()
{
    QTest::addColumn<QString>("showSplash"); // "" = absent
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<QStringList>("storedAfter");
    QTest::newRow("fresh profile") << "" << true << QStringList {"ShowSplash=1"};
    QTest::newRow("on") << "1" << true << QStringList {"ShowSplash=1"};
    QTest::newRow("off") << "0" << false << QStringList {"ShowSplash=0"};
    QTest::newRow("odd value left alone") << "yes" << false << QStringList {"ShowSplash=yes"};
}

void TestFrmSettings::loadReadsTheStore()
{
    QFETCH(QString, showSplash);
    QFETCH(bool, ticked);
    QFETCH(QStringList, storedAfter);
    TestEnv env;
    if (!showSplash.isEmpty())
        platform::SaveSetting(QStringLiteral("ShowSplash"), showSplash);
    frmSettings *w = Forms::get<frmSettings>();
    QVERIFY(!w->isVisible());
    QCOMPARE(w->txtStartPage->text(), QString());
    QCOMPARE(w->txtHomePage->text(), QString());
    QCOMPARE(w->SE->text(), QStringLiteral("http://www.dogpile.com"));
    QCOMPARE(w->BGRnd->text(), QString());
    QCOMPARE(w->chkSplash->isChecked(), ticked);
    QCOMPARE(env.storedSettings(), storedAfter);
}

void TestFrmSettings::splashBoxWritesAtOnce()
{
    TestEnv env;
    frmSettings *w = Forms::Show<frmSettings>();
    QTest::mouseClick(w->chkSplash, Qt::LeftButton);
    QCOMPARE(platform::GetSetting(QStringLiteral("ShowSplash")), QStringLiteral("0"));
    // Cancel does not take the click back.
    QTest::mouseClick(w->Command2, Qt::LeftButton);
    QVERIFY(!Forms::isLoaded<frmSettings>());
    QCOMPARE(platform::GetSetting(QStringLiteral("ShowSplash")), QStringLiteral("0"));
    QVERIFY(env.boxes.isEmpty());
}

void TestFrmSettings::defaultsChangeOnlyTheFields_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("start page") << "Command1"
                                << "txtStartPage"
                                << "Start Page"
                                << "about:blank";
    QTest::newRow("home page") << "Command3"
                               << "txtHomePage"
                               << "Home Page"
                               << "about:blank";
    QTest::newRow("search engine") << "Command6"
                                   << "SE"
                                   << "Search-Engine"
                                   << "http://www.aesop.example";
}

void TestFrmSettings::defaultsChangeOnlyTheFields()
{
    QFETCH(QString, button);
    QFETCH(QString, field);
    QFETCH(QString, key);
    QFETCH(QString, value);
    TestEnv env;
    platform::SaveSetting(key, QStringLiteral("old"));
    frmSettings *w = Forms::Show<frmSettings>();
    QTest::mouseClick(w->findChild<QPushButton *>(button), Qt::LeftButton);
    QCOMPARE(w->findChild<QLineEdit *>(field)->text(), value);
    QTest::mouseClick(w->Command2, Qt::LeftButton);
    QCOMPARE(platform::GetSetting(key), QStringLiteral("old"));
    // The next use loads the window afresh from the store.
    QCOMPARE(Forms::get<frmSettings>()->findChild<QLineEdit *>(field)->text(),
             QStringLiteral("old"));
}

void TestFrmSettings::saveStoresExactlyAsTyped()
{
    TestEnv env;
    platform::SaveSetting(QStringLiteral("Home Page"), QStringLiteral("http://home.example/"));
    frmSettings *w = Forms::Show<frmSettings>();
    w->txtStartPage->setText(QStringLiteral(" not an address, really; "));
    w->txtHomePage->clear();
    w->SE->setText(QStringLiteral("http://se.example/?q="));
    w->BGRnd->setText(QStringLiteral("/pictures/sky.bmp"));
    QTest::mouseClick(w->cmdSave, Qt::LeftButton);

    QCOMPARE(env.storedSettings(),
             QStringList({QStringLiteral("Bground=/pictures/sky.bmp"), QStringLiteral("Home Page="),
                          QStringLiteral("Search-Engine=http://se.example/?q="),
                          QStringLiteral("ShowSplash=1"),
                          QStringLiteral("Start Page= not an address, really; ")}));
    QCOMPARE(env.boxes.size(), 1);
    QCOMPARE(env.boxes[0].prompt,
             QStringLiteral("If you have changed the Start Page or Home Page you will need to\n"
                            "re-load Scoutwell for your changes to take effect."));
    QCOMPARE(env.boxes[0].title, QStringLiteral("Scoutwell"));
    QCOMPARE(env.boxes[0].style, 64);
    QVERIFY(!Forms::isLoaded<frmSettings>());
}

QTEST_MAIN(TestFrmSettings)
#include "tst_frmsettings.moc"
