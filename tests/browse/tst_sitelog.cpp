#include "FakeWebBrowser.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "browse/SiteLog.h"
#include "platform/Clock.h"
#include "platform/Settings.h"
#include "security/Security2.h"

#include <QtTest>
#include <QtWidgets>

#include <unistd.h>

enum Spoil { Fine, Dangling, ReadOnly }; // how the log file is made unwritable

class TestSiteLog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { platform::SetClock({}); }
    void completions_data()
    {
        QTest::addColumn<QString>("stored"); // "Log" before the browser window loads; "-" absent
        QTest::addColumn<bool>("logOn"); // the box as the user then leaves it
        QTest::addColumn<QString>("logAfter"); // "Log" once the load has ticked the box
        QTest::addColumn<int>("spoil");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("hour"); // an evening hour shows a 12-hour clock
        QTest::addColumn<QByteArray>("log"); // "-" for no file
        // Three completions; each line holds what the box showed before one replaced it.
        const QByteArray m = "\"07/03/04 - 09:05:03 - ", e = "\"07/03/04 - 21:05:03 - ";
        // clang-format off
        QTest::newRow("empty address")   << "0"  << true  << "1"      << +Fine     << ""             << 9  << m + "\"\r\n" + m + "http://a.example/\"\r\n" + m + "http://a.example/\"\r\n";
        QTest::newRow("quote inside")    << "no" << true  << "no"     << +Fine     << "say \"hi\", ok" << 21 << e + "say \"hi\", ok\"\r\n" + e + "http://a.example/\"\r\n" + e + "http://a.example/\"\r\n";
        QTest::newRow("box cleared")     << "-"  << false << "absent" << +Fine     << "a.example"    << 9  << QByteArray("-");
        QTest::newRow("dangling link")   << "1"  << true  << "1"      << +Dangling << "x"            << 9  << QByteArray("-");
        // An installed copy: the line goes to the user's data folder.
        QTest::newRow("read-only folder") << "1" << true  << "1"      << +ReadOnly << "x"            << 9  << m + "x\"\r\n" + m + "http://a.example/\"\r\n" + m + "http://a.example/\"\r\n";
        // clang-format on
    }

    void completions()
    {
        QFETCH(QString, stored);
        QFETCH(bool, logOn);
        QFETCH(QString, logAfter);
        QFETCH(int, spoil);
        QFETCH(QString, typed);
        QFETCH(int, hour);
        QFETCH(QByteArray, log);
        TestEnv env;
        if (stored != QLatin1String("-"))
            platform::SaveSetting(QStringLiteral("Log"), stored);
        platform::SetClock([hour] { return QDateTime(QDate(2004, 3, 7), QTime(hour, 5, 3)); });
        MDIForm1 *main = Forms::Show<MDIForm1>();
        QCOMPARE(platform::GetSetting(QStringLiteral("Log"), QStringLiteral("absent")), logAfter);
        Forms::get<Security2>()->Check1->setChecked(logOn);
        // Closed with its own buttons: the log follows the box as stored.
        Forms::Unload<Security2>();
        if (spoil == Dangling) // the superuser cannot open it either
            QVERIFY(QFile::link(env.path() + QStringLiteral("/gone/sitelog.f"), SiteLogPath()));
        if (spoil == ReadOnly) {
            if (::geteuid() == 0)
                QSKIP("the superuser writes into read-only folders");
            QVERIFY(QFile::setPermissions(env.programFolder(),
                                          QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        }
        main->Combo1->setEditText(typed);
        for (const char *url : {"http://a.example/", "http://a.example/", "http://b.example/"})
            FakeWebBrowser::last()->completeLoad(QString::fromLatin1(url));
        QFile file(SiteLogPath());
        QCOMPARE(file.fileName().startsWith(env.path() + QStringLiteral("/data/ScoutwellV3/")),
                 spoil == ReadOnly);
        QFile::setPermissions(env.programFolder(),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                  | QFileDevice::ExeOwner);
        // Browsing goes on whether or not the line could be written.
        QCOMPARE(main->Combo1->currentText(), QStringLiteral("http://b.example/"));
        QCOMPARE(QFileInfo(file).isFile() && file.open(QIODevice::ReadOnly) ? file.readAll() : "-",
                 log);
        // What was visited is its owner's alone.
        const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup
            | QFileDevice::ReadOther | QFileDevice::WriteOther;
        QCOMPARE(file.permissions() & others, QFileDevice::Permissions());
    }
};

QTEST_MAIN(TestSiteLog)
#include "tst_sitelog.moc"
