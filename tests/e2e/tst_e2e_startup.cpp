// The real program under X, as a person starts it: the splash, the main window, the first
// page, the settings the start-up leaves behind.
#include "ProgramRun.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {
const QRegularExpression kMainWindow(QStringLiteral("^Scoutwell v3\\.3"));
const QRegularExpression kSplash(QStringLiteral("^Scoutwell$")); // also the error box's title
} // namespace

class TestE2EStartup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void freshProfileShowsSplashThenMainWindow()
    {
        ProgramRun run(QStringLiteral(SCOUTWELL_BIN_DIR), QStringLiteral(SCOUTWELL_SHOT_DIR));
        QElapsedTimer clock;
        clock.start();
        QVERIFY(run.start());
        QVERIFY(!run.waitForWindow(kSplash, 15000).isEmpty());
        run.screenshot(QStringLiteral("startup-splash"));
        const QString main = run.waitForWindow(kMainWindow, 20000);
        QVERIFY2(!main.isEmpty(), run.output().constData());
        // The splash's first check comes after two seconds.
        QVERIFY2(clock.elapsed() >= 1900, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(run.waitForNoWindow(kSplash));
        QTRY_COMPARE_WITH_TIMEOUT(ProgramRun::windowTitle(main),
                                  QStringLiteral("Scoutwell v3.3 - [about:blank]"), 10000);
        run.screenshot(QStringLiteral("startup-fresh-main"));
        QCOMPARE(run.storedSettings(), QStringList({"PProg=0", "PSec=0", "ShowSplash=1"}));
        run.key(main, QStringLiteral("ctrl+e"));
        QVERIFY(run.waitForExit());
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), 0);
    }

    // A program lock that is neither on nor off leaves the splash waiting, with no main window
    // (the lock on, and its login, is the security run's).
    void oddProgramLockKeepsTheSplash()
    {
        ProgramRun run(QStringLiteral(SCOUTWELL_BIN_DIR), QStringLiteral(SCOUTWELL_SHOT_DIR));
        run.setSetting(QStringLiteral("PProg"), QStringLiteral("2"));
        QVERIFY(run.start());
        QVERIFY(!run.waitForWindow(kSplash, 15000).isEmpty());
        QTest::qWait(4500);
        QVERIFY2(!run.waitForWindow(kSplash, 0).isEmpty(), run.output().constData());
        QVERIFY(
            run.waitForWindow(QRegularExpression("^(Login|Scoutwell v3\\.3.*)$"), 500).isEmpty());
    }

    // The load's error box, titled with the program's name, comes before the main window.
    void missingBackgroundPictureIsReported()
    {
        ProgramRun run(QStringLiteral(SCOUTWELL_BIN_DIR), QStringLiteral(SCOUTWELL_SHOT_DIR));
        run.setSetting(QStringLiteral("ShowSplash"), QStringLiteral("0"));
        run.setSetting(QStringLiteral("Bground"), run.programFolder() + "/gone.bmp");
        QVERIFY(run.start());
        const QString box = run.waitForWindow(kSplash, 20000);
        QVERIFY2(!box.isEmpty(), run.output().constData());
        QVERIFY(run.waitForWindow(kMainWindow, 500).isEmpty());
        run.screenshot(QStringLiteral("startup-missing-background"));
        run.key(box, QStringLiteral("Return"));
        QVERIFY(!run.waitForWindow(kMainWindow, 15000).isEmpty());
    }
};

QTEST_MAIN(TestE2EStartup)
#include "tst_e2e_startup.moc"
