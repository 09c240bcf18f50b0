#include "TestEnv.h"
#include "app/Forms.h"
#include "platform/Settings.h"
#include "settings/frmSettings.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using platform::SaveSetting;

static QStringList fields(const frmSettings *w)
{
    return {w->txtStartPage->text(), w->txtHomePage->text(), w->SE->text(), w->BGRnd->text()};
}

class TestFrmSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Reading a field creates the window hidden and loads it from the store; the splash box
    // follows "1" and "0", stores its state when the load changes it, and leaves odd texts.
    // Save stores every field exactly as typed, an empty one too, and says a restart is
    // needed.
    void loadThenSave_data()
    {
        QTest::addColumn<QString>("showSplash"); // "" = absent
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<QString>("splashAfter");
        // clang-format off
        QTest::newRow("fresh profile")        << ""    << true  << "1";
        QTest::newRow("off")                  << "0"   << false << "0";
        QTest::newRow("odd value left alone") << "yes" << false << "yes";
        // clang-format on
    }
    void loadThenSave()
    {
        QFETCH(QString, showSplash);
        QFETCH(bool, ticked);
        QFETCH(QString, splashAfter);
        TestEnv env;
        if (!showSplash.isEmpty())
            SaveSetting(QStringLiteral("ShowSplash"), showSplash);
        frmSettings *w = Forms::get<frmSettings>();
        QVERIFY(!w->isVisible());
        QCOMPARE(fields(w), QStringList({"", "", "http://www.dogpile.com", ""}));
        QCOMPARE(w->chkSplash->isChecked(), ticked);
        QCOMPARE(env.storedSettings(), QStringList {"ShowSplash=" + splashAfter});

        Forms::Show<frmSettings>();
        w->txtStartPage->setText(QStringLiteral(" not an address, really; "));
        w->SE->setText(QStringLiteral("http://se.example/?q="));
        w->BGRnd->setText(QStringLiteral("/pictures/sky.bmp"));
        QTest::mouseClick(w->cmdSave, Qt::LeftButton);
        QCOMPARE(env.storedSettings(),
                 QStringList({"Bground=/pictures/sky.bmp", "Home Page=",
                              "Search-Engine=http://se.example/?q=", "ShowSplash=" + splashAfter,
                              "Start Page= not an address, really; "}));
        QCOMPARE(env.boxes.size(), 1);
        QCOMPARE(QStringList({env.boxes[0].title, QString::number(env.boxes[0].style),
                              env.boxes[0].prompt}),
                 QStringList({"Scoutwell", "64",
                              "If you have changed the Start Page or Home Page you will need "
                              "to\nre-load Scoutwell for your changes to take effect."}));
        QVERIFY(!Forms::isLoaded<frmSettings>());
    }

    // The default buttons change only the fields, and Cancel stores none of them; a click on
    // the splash box writes at once and Cancel does not take it back. The next use loads the
    // window afresh from the store.
    void defaultsThenCancel()
    {
        TestEnv env;
        for (const char *key : {"Start Page", "Home Page", "Search-Engine", "Bground"})
            SaveSetting(QLatin1String(key), QStringLiteral("old"));
        frmSettings *w = Forms::Show<frmSettings>();
        for (QPushButton *button : {w->Command1, w->Command3, w->Command6})
            QTest::mouseClick(button, Qt::LeftButton);
        QTest::mouseClick(w->chkSplash, Qt::LeftButton);
        QCOMPARE(fields(w),
                 QStringList({"about:blank", "about:blank", "http://www.aesop.example", "old"}));
        QTest::mouseClick(w->Command2, Qt::LeftButton);
        QCOMPARE(env.storedSettings(),
                 QStringList({"Bground=old", "Home Page=old", "Search-Engine=old", "ShowSplash=0",
                              "Start Page=old"}));
        QVERIFY(env.boxes.isEmpty());
        QCOMPARE(fields(Forms::get<frmSettings>()), QStringList({"old", "old", "old", "old"}));
    }
};

QTEST_MAIN(TestFrmSettings)
#include "tst_frmsettings.moc"
