// Scoutwell as a desktop installs and starts it: the command line, and the installed copy
// run by an ordinary user, started a second time while it runs and again after a crash.
#include "KeptList.h"
#include "LocalHttpServer.h"
#include "ProgramRun.h"

#include <QDirIterator>
#include <QScopeGuard>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestE2EInstall : public QObject
{
    Q_OBJECT
private Q_SLOTS:

    void commandLineWithoutDisplay()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(u"DISPLAY"_s);
        // clang-format off
        const struct { QStringList arguments; int exitCode; QByteArray output; } cases[] = {
            {{"--version"},    0, "Scoutwell 3.3\n"}, // how what it prints begins
            {{"-h"},           0, "Usage: scoutwell [ADDRESS | FILE]\n"},
            {{"--no-sandbox"}, 2, "scoutwell: unknown"},
            {{"--verbose", "--nope"}, 2, "scoutwell: unknown option '--nope'"}, // --verbose taken
            {{"a", "b"},       2, "scoutwell: one address"},
        };
        // clang-format on
        for (const auto &c : cases) {
            QProcess p;
            p.setProcessEnvironment(env);
            p.setProcessChannelMode(QProcess::MergedChannels);
            p.start(QStringLiteral(SCOUTWELL_BIN_DIR "/scoutwell"), c.arguments);
            QVERIFY(p.waitForFinished(5000) && p.exitStatus() == QProcess::NormalExit);
            QCOMPARE(p.exitCode(), c.exitCode);
            QVERIFY2(p.readAll().startsWith(c.output), c.output.constData());
        }
    }

    void installedCopyStartedTwiceAndAfterACrash()
    {
        LocalHttpServer server;
        server.addPage(u"/a.html"_s, "<title>Page A</title>A");
        server.addPage(u"/b.html"_s, "<title>Page B</title>B");
        const QString b = server.url(u"/b.html"_s);
        const auto mainWindow = [](const QString &page) {
            return QRegularExpression(u"^Scoutwell v3\\.3 - \\[%1\\]$"_s.arg(page));
        };
        ProgramRun run(QString(), QStringLiteral(SCOUTWELL_SHOT_DIR));
        const QString prefix = run.path() + u"/prefix"_s, folder = prefix + u"/lib/scoutwell"_s;
        QCOMPARE(QProcess::execute(
                     QStringLiteral(CMAKE_COMMAND),
                     {u"--install"_s, QStringLiteral(SCOUTWELL_BUILD_DIR), u"--prefix"_s, prefix}),
                 0);
        const QByteArray shipped = readFile(folder + u"/favourites.ini"_s);
        const auto readOnly
            = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(folder, readOnly));
        const auto restore
            = qScopeGuard([&] { QFile::setPermissions(folder, readOnly | QFile::WriteOwner); });
        // The launcher's command, run by an ordinary user.
        run.setProgram(prefix + u"/bin/scoutwell"_s);
        run.runAsOrdinaryUser();
        run.setSettings({u"ShowSplash"_s, u"0"_s, u"Start Page"_s, server.url(u"/a.html"_s)});
        VERIFY_WINDOW(main, run, startUntil(mainWindow(u"Page A"_s)));

        // Favourites > Organize Favourites from the keyboard, a new text, Ctrl+S.
        run.key(main, u"alt+t Right Down Down Return"_s);
        VERIFY_WINDOW(organizer, run,
                      waitForWindow(QRegularExpression(u"^Organize favourites$"_s)));
        run.key(organizer, u"ctrl+a BackSpace"_s);
        const QByteArray mine = "[Favourites]\n1=Mine\n[Links]\n1=http://mine.example/\n";
        for (const QByteArray &line : mine.split('\n').mid(0, 4)) {
            run.type(organizer, QString::fromUtf8(line));
            run.key(organizer, u"Return"_s);
        }
        run.key(organizer, u"ctrl+s"_s);
        VERIFY_WINDOW(box, run, waitForWindow(QRegularExpression(u"^Update Successful$"_s)));
        run.key(box, u"Return"_s);

        // A page opened from the command line, as the launcher opens a link, goes to the
        // running program and is logged.
        QCOMPARE(run.startAgain({b}, 5000), 0);
        QVERIFY(!run.waitForWindow(mainWindow(u"Page B"_s), 5000).isEmpty());
        const QString own = run.path() + u"/data/ScoutwellV3/"_s;
        QTRY_VERIFY(readFile(own + u"sitelog.f"_s).contains(" - " + b.toUtf8() + "\"\r\n"));
        // A crashed run leaves its socket behind; the next start is not fooled by it.
        run.kill();
        QVERIFY(QFile::exists(run.path() + u"/runtime/ScoutwellV3.socket"_s));
        VERIFY_WINDOW(again, run, startUntil(mainWindow(u"Page B"_s), {b}));
        QVERIFY(run.exit(again));

        QCOMPARE(readFile(own + u"favourites.ini"_s), mine);
        QCOMPARE(readFile(folder + u"/favourites.ini"_s), shipped);
        QVERIFY(!QFile::exists(folder + u"/sitelog.f"_s));

        // Nothing lands outside the program's own places in the home, config, data, cache
        // and runtime folders.
        const QRegularExpression allowed(u"^(prefix/|config/ScoutwellV3\\.ini$|"
                                         "(data|cache)/ScoutwellV3/|runtime/ScoutwellV3\\.)"_s);
        QDirIterator it(run.path(), QDir::Files | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = QDir(run.path()).relativeFilePath(it.next());
            QVERIFY2(allowed.match(file).hasMatch(), qPrintable(file));
        }
    }
};

QTEST_MAIN(TestE2EInstall)
#include "tst_e2e_install.moc"
