// Scoutwell as a desktop installs and starts it: the installed copy run by an ordinary user,
// the command line, and a second start while one runs.
#include "LocalHttpServer.h"
#include "ProgramRun.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QtTest>

namespace {

QString title(const char *page)
{
    return QStringLiteral("^Scoutwell v3\\.3 - \\[%1\\]$").arg(QLatin1String(page));
}

QByteArray fileText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

} // namespace

class TestE2EInstall : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        m_server.addPage(QStringLiteral("/a.html"), "<title>Page A</title>A");
        m_server.addPage(QStringLiteral("/b.html"), "<title>Page B</title>B");
    }
    void commandLineWithoutDisplay_data();
    void commandLineWithoutDisplay();
    void installedCopyKeepsUserFilesInTheDataFolder();
    void secondStartHandsItsAddressOver();

private:
    LocalHttpServer m_server;
};

void TestE2EInstall::commandLineWithoutDisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output"); // the start of what it prints
    // clang-format off
    QTest::newRow("version") << QStringList {"--version"} << 0 << "Scoutwell 3.3\n";
    QTest::newRow("help") << QStringList {"-h"} << 0 << "Usage: scoutwell [ADDRESS | FILE]\n";
    QTest::newRow("unknown option") << QStringList {"--no-sandbox"} << 2 << "scoutwell: unknown option";
    QTest::newRow("two addresses") << QStringList {"a", "b"} << 2 << "scoutwell: one address at most";
    // clang-format on
}

void TestE2EInstall::commandLineWithoutDisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(SCOUTWELL_BIN_DIR "/scoutwell"), arguments);
    QVERIFY(p.waitForFinished(5000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), exitCode);
    QVERIFY2(p.readAll().startsWith(output.toUtf8()), qPrintable(output));
}

void TestE2EInstall::installedCopyKeepsUserFilesInTheDataFolder()
{
    ProgramRun run(QString(), QStringLiteral(SCOUTWELL_SHOT_DIR));
    const QString prefix = run.path() + QStringLiteral("/prefix");
    QCOMPARE(QProcess::execute(QStringLiteral(CMAKE_COMMAND),
                               {QStringLiteral("--install"), QStringLiteral(SCOUTWELL_BUILD_DIR),
                                QStringLiteral("--prefix"), prefix}),
             0);
    const QString folder = prefix + QStringLiteral("/lib/scoutwell");
    const QByteArray shipped = fileText(folder + QStringLiteral("/favourites.ini"));
    const auto readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;
    QVERIFY(QFile::setPermissions(folder, readOnly));
    const auto restore
        = qScopeGuard([&] { QFile::setPermissions(folder, readOnly | QFile::WriteOwner); });
    // The launcher's command, run by an ordinary user.
    run.setProgram(prefix + QStringLiteral("/bin/scoutwell"));
    run.runAsOrdinaryUser();
    run.setSetting(QStringLiteral("ShowSplash"), QStringLiteral("0"));
    run.setSetting(QStringLiteral("Start Page"), m_server.url(QStringLiteral("/a.html")));
    QVERIFY(run.start());
    const QString main = run.waitForWindow(QRegularExpression(title("Page A")), 30000);
    QVERIFY2(!main.isEmpty(), run.output().constData());

    // Favourites > Organize Favourites from the keyboard, a new text, Ctrl+S.
    run.key(main, QStringLiteral("alt+t Right Down Down Return"));
    const QString organizer
        = run.waitForWindow(QRegularExpression(QStringLiteral("^Organize favourites$")));
    QVERIFY(!organizer.isEmpty());
    run.key(organizer, QStringLiteral("ctrl+a BackSpace"));
    const QByteArray mine = "[Favourites]\n1=Mine\n[Links]\n1=http://mine.example/\n";
    for (const QByteArray &line : mine.split('\n').mid(0, 4)) {
        run.type(organizer, QString::fromUtf8(line));
        run.key(organizer, QStringLiteral("Return"));
    }
    run.key(organizer, QStringLiteral("ctrl+s"));
    const QString box
        = run.waitForWindow(QRegularExpression(QStringLiteral("^Update Successful$")));
    QVERIFY(!box.isEmpty());
    run.screenshot(QStringLiteral("install-organizer-saved"));
    run.key(box, QStringLiteral("Return"));

    // A page opened from the command line, as the launcher opens a link, is logged.
    const QString b = m_server.url(QStringLiteral("/b.html"));
    QCOMPARE(run.startAgain({b}), 0);
    QVERIFY(!run.waitForWindow(QRegularExpression(title("Page B"))).isEmpty());
    run.key(main, QStringLiteral("ctrl+e"));
    QVERIFY(run.waitForExit());

    const QString own = run.path() + QStringLiteral("/data/ScoutwellV3");
    QCOMPARE(fileText(own + QStringLiteral("/favourites.ini")), mine);
    QVERIFY2(fileText(own + QStringLiteral("/sitelog.f")).contains(" - " + b.toUtf8() + "\"\r\n"),
             fileText(own + QStringLiteral("/sitelog.f")).constData());
    QCOMPARE(fileText(folder + QStringLiteral("/favourites.ini")), shipped);
    QVERIFY(!QFile::exists(folder + QStringLiteral("/sitelog.f")));

    // Nothing lands outside the program's own files in the home, config, data, cache and
    // runtime folders.
    const QRegularExpression allowed(QStringLiteral(
        "^(prefix/|config/ScoutwellV3\\.ini$|(data|cache)/ScoutwellV3/|runtime/ScoutwellV3\\.)"));
    QDirIterator it(run.path(), QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = QDir(run.path()).relativeFilePath(it.next());
        QVERIFY2(allowed.match(file).hasMatch(), qPrintable(file));
    }
}

void TestE2EInstall::secondStartHandsItsAddressOver()
{
    ProgramRun run(QStringLiteral(SCOUTWELL_BIN_DIR), QStringLiteral(SCOUTWELL_SHOT_DIR));
    run.setSetting(QStringLiteral("ShowSplash"), QStringLiteral("0"));
    run.setSetting(QStringLiteral("Start Page"), m_server.url(QStringLiteral("/a.html")));
    QVERIFY(run.start());
    QVERIFY2(!run.waitForWindow(QRegularExpression(title("Page A")), 30000).isEmpty(),
             run.output().constData());

    const QString b = m_server.url(QStringLiteral("/b.html"));
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(run.startAgain({b}, 5000), 0);
    QVERIFY(!run.waitForWindow(QRegularExpression(title("Page B")), 5000).isEmpty());
    run.screenshot(QStringLiteral("install-second-start"));

    // A crashed run leaves its socket behind; the next start is not fooled by it.
    run.kill();
    QVERIFY(QFile::exists(run.path() + QStringLiteral("/runtime/ScoutwellV3.socket")));
    QVERIFY(run.start({b}));
    const QString main = run.waitForWindow(QRegularExpression(title("Page B")), 30000);
    QVERIFY2(!main.isEmpty(), run.output().constData());
    run.key(main, QStringLiteral("ctrl+e"));
    QVERIFY(run.waitForExit());
    QCOMPARE(run.exitCode(), 0);
}

QTEST_MAIN(TestE2EInstall)
#include "tst_e2e_install.moc"
