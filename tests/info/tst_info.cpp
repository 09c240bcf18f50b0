#include "TestEnv.h"
#include "app/Forms.h"
#include "app/Hosts.h"
#include "info/About.h"
#include "platform/App.h"
#include "platform/Shell.h"

#include <QtTest>
#include <QtWidgets>

class TestInfo : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // About shows the build's version; only its ownership line opens the maker's site.
    void aboutShowsTheBuildAndOpensTheMakersSite()
    {
        QCOMPARE(platform::VersionText(4, 10), QStringLiteral("4.10")); // not 4.1
        TestEnv env;
        QStringList opened;
        platform::SetShellHook([&opened](const platform::ShellRequest &r) {
            opened << r.operation + ' ' + r.file + ' ' + QString::number(r.showCommand);
            return 33;
        });
        About *about = Forms::Show<About>();
        QCOMPARE(about->Label13->text(), QStringLiteral("3.3"));
        QTest::mouseClick(about->Label16, Qt::LeftButton);
        QTest::mouseClick(about->Label6, Qt::LeftButton);
        platform::SetShellHook({});
        QCOMPARE(opened, QStringList {"open " + QLatin1String(hosts::Maker) + " 1"});
        QTest::mouseClick(about->Command1, Qt::LeftButton);
        QVERIFY(!Forms::isLoaded<About>());
    }
};

QTEST_MAIN(TestInfo)
#include "tst_info.moc"
