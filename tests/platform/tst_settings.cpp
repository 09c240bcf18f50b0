#include "TestEnv.h"
#include "platform/App.h"
#include "platform/Settings.h"

#include <QFile>
#include <QtTest>

#include <sys/stat.h>

class TestSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void missingKeyGivesTheCallersDefault();
    void fileIsPrivateAndInTheXdgFolder();
    void writeFromAnotherProgramIsSeenAtTheNextRead();
    void engineFlags_data();
    void engineFlags();
};

void TestSettings::roundTrip_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("plain") << "Home Page"
                           << "http://example.org/";
    QTest::newRow("blanks at both ends") << "Start Page"
                                         << "  spaced out  ";
    QTest::newRow("passcode with , and ;") << "Passcode"
                                           << " a,b;c ";
    QTest::newRow("quotes") << "Tips"
                            << "say \"hello\" and 'bye'";
    QTest::newRow("equals and hash") << "Search-Engine"
                                     << "http://x.example/?a=b&c=d#e";
    QTest::newRow("non-ASCII") << "Tips" << QString::fromUtf8("café – Grüße – 日本");
    QTest::newRow("leading @") << "Tips"
                               << "@Invalid()";
    QTest::newRow("backslashes") << "Bground"
                                 << "C:\\Pictures\\sky.bmp";
    QTest::newRow("empty") << "Home Page"
                           << "";
    QTest::newRow("line break") << "Tips"
                                << "one\ntwo";
}

void TestSettings::roundTrip()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    TestEnv env;
    platform::SaveSetting(key, value);
    QCOMPARE(platform::GetSetting(key, QStringLiteral("default")), value);
}

void TestSettings::missingKeyGivesTheCallersDefault()
{
    TestEnv env;
    QCOMPARE(platform::GetSetting(QStringLiteral("PSec"), QString()), QString());
    QCOMPARE(platform::GetSetting(QStringLiteral("PSec"), QStringLiteral("0")),
             QStringLiteral("0"));
    platform::SaveSetting(QStringLiteral("PSec"), QStringLiteral("1"));
    QCOMPARE(platform::GetSetting(QStringLiteral("PSet"), QStringLiteral("x")),
             QStringLiteral("x"));
}

void TestSettings::fileIsPrivateAndInTheXdgFolder()
{
    TestEnv env;
    QCOMPARE(env.settingsFile(), env.path() + QStringLiteral("/config/ScoutwellV3.ini"));
    platform::SaveSetting(QStringLiteral("Passcode"), QStringLiteral("secret"));
    // Loosen the mode as a careless tool might; the next write tightens it again.
    QVERIFY(::chmod(QFile::encodeName(env.settingsFile()).constData(), 0644) == 0);
    platform::SaveSetting(QStringLiteral("Log"), QStringLiteral("1"));
    struct stat st
    {
    };
    QVERIFY(::stat(QFile::encodeName(env.settingsFile()).constData(), &st) == 0);
    QCOMPARE(st.st_mode & 0777, 0600u);

    QFile f(env.settingsFile());
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    QVERIFY(text.startsWith("[Settings]"));
    QVERIFY(text.contains("Passcode=secret"));
}

void TestSettings::writeFromAnotherProgramIsSeenAtTheNextRead()
{
    TestEnv env;
    platform::SaveSetting(QStringLiteral("Start Page"), QStringLiteral("old"));
    QCOMPARE(platform::GetSetting(QStringLiteral("Start Page")), QStringLiteral("old"));
    // Another program rewrites the file behind our back, including a hand-typed comma.
    QFile f(env.settingsFile());
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("[Settings]\nStart%20Page=http://new.example/\nTips=a, b\n");
    f.close();
    QCOMPARE(platform::GetSetting(QStringLiteral("Start Page")),
             QStringLiteral("http://new.example/"));
    QCOMPARE(platform::GetSetting(QStringLiteral("Tips")), QStringLiteral("a,b"));
}

void TestSettings::engineFlags_data()
{
    QTest::addColumn<bool>("root");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("user keeps the sandbox") << false << QByteArray() << QByteArray();
    QTest::newRow("user flags untouched") << false << QByteArray("--foo") << QByteArray("--foo");
    QTest::newRow("root, no flags") << true << QByteArray() << QByteArray("--no-sandbox");
    QTest::newRow("root, other flags")
        << true << QByteArray("--foo") << QByteArray("--foo --no-sandbox");
    QTest::newRow("root, already off")
        << true << QByteArray("--no-sandbox") << QByteArray("--no-sandbox");
}

void TestSettings::engineFlags()
{
    QFETCH(bool, root);
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QCOMPARE(platform::EngineFlagsFor(root, before), after);
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
