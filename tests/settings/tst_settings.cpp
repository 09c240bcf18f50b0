#include "TestEnv.h"
#include "settings/ProgramSettings.h"
#include "settings/WorkingCopy.h"

#include <QSignalSpy>
#include <QtTest>

using settings::WorkingCopy;

class TestSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Loaded once: a value written through its object is in the file at once and signalled
    // once; the file changed behind the program's back is seen only after a reload.
    void loadedOnceWrittenAtOnce()
    {
        TestEnv env;
        compat::SaveSetting(QStringLiteral("TB"), QStringLiteral("x"));
        settings::Setting &tb = settings::Program().toolbar;
        QVERIFY(tb.isStored() && !tb.isOn(QStringLiteral("1")) && !tb.isOff(QStringLiteral("0")));
        settings::Setting &go = settings::Program().goButton;
        QCOMPARE(go.value(QStringLiteral("0")), QStringLiteral("0"));
        QSignalSpy changed(&go, &settings::Setting::changed);
        go.setValue(QStringLiteral("1"));
        go.setValue(QStringLiteral("1"));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(env.storedSettings(), QStringList({"GoBtn=1", "TB=x"}));
        compat::SaveSetting(QStringLiteral("GoBtn"), QStringLiteral("0"));
        QCOMPARE(settings::Program().goButton.value(), QStringLiteral("1"));
        settings::Reload();
        QCOMPARE(settings::Program().goButton.value(), QStringLiteral("0"));
        // A single value read again (the lock the splash waits on).
        compat::SaveSetting(QStringLiteral("PProg"), QStringLiteral("1"));
        settings::Setting &lock = settings::Switches().program;
        QVERIFY(!lock.isStored());
        lock.reload();
        QVERIFY(lock.isOn(QStringLiteral("0")));
    }

    // A switch's carrier holds what its last reader got, its default included, or what was
    // last stored; the passcode is compared on its first ten characters.
    void carriersAndPasscode()
    {
        TestEnv env;
        compat::SaveSetting(QStringLiteral("Passcode"), QStringLiteral("123456789012"));
        settings::Setting &set = settings::Switches().settingsLock;
        QCOMPARE(set.read(QStringLiteral("0")), QStringLiteral("0"));
        QCOMPARE(set.read(QString()), QString());
        set.setValue(QStringLiteral("1"));
        QCOMPARE(set.carried(), QStringLiteral("1"));
        QVERIFY(settings::Switches().logOn());
        settings::Switches().log.setValue(QStringLiteral("0"));
        settings::Switches().turnLogOn();
        QCOMPARE(compat::GetSetting(QStringLiteral("Log")), QStringLiteral("1"));
        settings::Passcode &passcode = settings::PasscodeSetting();
        QVERIFY(passcode.matches(QStringLiteral("1234567890")));
        QVERIFY(!passcode.matches(QStringLiteral("123456789012")));
    }

    // The working copy: the commands use it while it lives, the stored pages once it is gone;
    // a reset drops its edits and Save stores all four texts.
    void workingCopy()
    {
        TestEnv env;
        compat::SaveSetting(QStringLiteral("Home Page"), QStringLiteral("http://home/"));
        QCOMPARE(settings::SearchPage(), settings::ProgramSettings::defaultSearchEngine());
        auto *copy = new WorkingCopy(nullptr);
        QCOMPARE(WorkingCopy::current(), copy);
        copy->setText(WorkingCopy::HomePage, QStringLiteral("unsaved"));
        QCOMPARE(settings::HomePage(), QStringLiteral("unsaved"));
        copy->reset();
        QCOMPARE(settings::HomePage(), QStringLiteral("http://home/"));
        copy->setText(WorkingCopy::StartPage, QStringLiteral("http://start/"));
        delete copy;
        QVERIFY(!WorkingCopy::current());
        QCOMPARE(settings::StartPage(), QString());
        copy = new WorkingCopy(nullptr);
        copy->setText(WorkingCopy::Background, QStringLiteral("/sky.bmp"));
        copy->save();
        delete copy;
        QCOMPARE(env.storedSettings(),
                 QStringList({"Bground=/sky.bmp", "Home Page=http://home/",
                              "Search-Engine=" + settings::ProgramSettings::defaultSearchEngine(),
                              "Start Page="}));
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
