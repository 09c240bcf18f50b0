#include "TestEnv.h"
#include "platform/App.h"
#include "platform/Settings.h"

#include <QFile>
#include <QtTest>

#include <sys/stat.h>

using platform::GetSetting;
using platform::SaveSetting;

class TestSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Each value comes back exactly as saved, whatever the INI writer must escape; a key
    // never saved gives the caller's default.
    void roundTrip_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        // clang-format off
        QTest::newRow("blanks at both ends")   << "Start Page"    << "  spaced out  ";
        QTest::newRow("passcode with , and ;") << "Passcode"      << " a,b;c ";
        QTest::newRow("quotes")                << "Tips"          << "say \"hello\" and 'bye'";
        QTest::newRow("equals and hash")       << "Search-Engine" << "http://x.example/?a=b&c=d#e";
        QTest::newRow("non-ASCII")             << "Tips"          << QString::fromUtf8("café – Grüße – 日本");
        QTest::newRow("leading @")             << "Tips"          << "@Invalid()";
        QTest::newRow("backslashes")           << "Bground"       << "C:\\Pictures\\sky.bmp";
        QTest::newRow("empty")                 << "Home Page"     << "";
        QTest::newRow("line break")            << "Tips"          << "one\ntwo";
        // clang-format on
    }
    void roundTrip()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        TestEnv env;
        QCOMPARE(GetSetting(key, QStringLiteral("default")), QStringLiteral("default"));
        SaveSetting(key, value);
        QCOMPARE(GetSetting(key, QStringLiteral("default")), value);
    }

    // The passcode is stored as typed, so the file must stay its owner's alone, even after
    // a careless tool loosened it; it lives in the XDG config folder. Storing what the file
    // holds leaves it alone (every real write replaces the file, so its inode tells), and a
    // rewrite by another program, hand-typed comma included, is seen at the next read.
    void theFile()
    {
        TestEnv env;
        QCOMPARE(env.settingsFile(), env.path() + QStringLiteral("/config/ScoutwellV3.ini"));
        const QByteArray file = QFile::encodeName(env.settingsFile());
        const auto inode = [&file] {
            struct stat st
            {
            };
            return ::stat(file.constData(), &st) == 0 ? st.st_ino : 0;
        };
        SaveSetting(QStringLiteral("Passcode"), QStringLiteral("secret"));
        const auto mine = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
            | QFileDevice::WriteUser;
        QCOMPARE(QFile::permissions(env.settingsFile()), mine);
        QVERIFY(QFile::setPermissions(env.settingsFile(), mine | QFileDevice::ReadOther));
        const auto written = inode();
        SaveSetting(QStringLiteral("Passcode"), QStringLiteral("secret"));
        QCOMPARE(inode(), written);
        SaveSetting(QStringLiteral("Log"), QStringLiteral("1"));
        QVERIFY(inode() != written);
        QCOMPARE(QFile::permissions(env.settingsFile()), mine);
        QFile f(env.settingsFile());
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.readAll().startsWith("[Settings]\nLog=1\nPasscode=secret"));
        f.resize(0);
        f.write("[Settings]\nStart%20Page=http://new.example/\nTips=a, b\n");
        f.close();
        QCOMPARE(GetSetting(QStringLiteral("Start Page")), QStringLiteral("http://new.example/"));
        QCOMPARE(GetSetting(QStringLiteral("Tips")), QStringLiteral("a,b"));
    }

    // Only root loses the engine's sandbox, and the flag is added once.
    void engineFlags()
    {
        using platform::EngineFlagsFor;
        QCOMPARE(EngineFlagsFor(false, ""), QByteArray());
        QCOMPARE(EngineFlagsFor(false, "--foo"), QByteArray("--foo"));
        QCOMPARE(EngineFlagsFor(true, ""), QByteArray("--no-sandbox"));
        QCOMPARE(EngineFlagsFor(true, "--foo"), QByteArray("--foo --no-sandbox"));
        QCOMPARE(EngineFlagsFor(true, "--no-sandbox"), QByteArray("--no-sandbox"));
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
