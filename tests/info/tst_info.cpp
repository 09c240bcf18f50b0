#include "TestEnv.h"
#include "app/Forms.h"
#include "app/Hosts.h"
#include "info/About.h"
#include "info/Licence.h"
#include "platform/App.h"
#include "platform/Shell.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

class TestInfo : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void versionText_data();
    void versionText();
    void aboutFillsItsLabelsAtLoad();
    void onlyTheOwnershipLineOpensTheSite();
    void licenceShowsOurLicence();
};

void TestInfo::versionText_data()
{
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<QString>("text");
    QTest::newRow("3.3") << 3 << 3 << "3.3";
    QTest::newRow("4.10, not 4.1") << 4 << 10 << "4.10";
    QTest::newRow("10.0") << 10 << 0 << "10.0";
}

void TestInfo::versionText()
{
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(QString, text);
    QCOMPARE(platform::VersionText(major, minor), text);
}

void TestInfo::aboutFillsItsLabelsAtLoad()
{
    TestEnv env;
    About *about = Forms::Show<About>();
    QCOMPARE(about->windowTitle(), QStringLiteral("About"));
    QCOMPARE(about->Label1->text(), QStringLiteral("Scoutwell"));
    QCOMPARE(about->Label13->text(), QStringLiteral("3.3"));
    QCOMPARE(about->Label15->text(), QStringLiteral("Kestrelmoor Works"));
    QCOMPARE(about->Label16->text(), QStringLiteral("http://www.kestrelmoor.example"));
    QCOMPARE(about->Label17->text(), LicenceKind());
    QTest::mouseClick(about->Command1, Qt::LeftButton);
    QVERIFY(!Forms::isLoaded<About>());
}

void TestInfo::onlyTheOwnershipLineOpensTheSite()
{
    TestEnv env;
    QList<platform::ShellRequest> seen;
    platform::SetShellHook([&](const platform::ShellRequest &r) {
        seen.append(r);
        return 33;
    });
    About *about = Forms::Show<About>();
    QTest::mouseClick(about->Label16, Qt::LeftButton);
    QVERIFY(seen.isEmpty());
    QTest::mouseClick(about->Label6, Qt::LeftButton);
    platform::SetShellHook({});
    QCOMPARE(seen.size(), 1);
    QCOMPARE(seen.first().operation, QStringLiteral("open"));
    QCOMPARE(seen.first().file, QLatin1String(hosts::Maker));
    QCOMPARE(seen.first().showCommand, 1);
}

void TestInfo::licenceShowsOurLicence()
{
    TestEnv env;
    Licence *licence = Forms::Show<Licence>();
    QCOMPARE(licence->windowTitle(), QStringLiteral("Licence"));
    QCOMPARE(licence->Label1->text(), QStringLiteral(" Licence Information"));
    const QString text = licence->Text1->toPlainText();
    QVERIFY(text.startsWith(QStringLiteral("MIT License\n\nCopyright (c) 2026 Kestrelmoor Works")));
    QVERIFY(text.contains(QStringLiteral("WITHOUT WARRANTY OF ANY KIND")));
    QTest::mouseClick(licence->Label4, Qt::LeftButton);
    QVERIFY(!Forms::isLoaded<Licence>());
}

QTEST_MAIN(TestInfo)
#include "tst_info.moc"
