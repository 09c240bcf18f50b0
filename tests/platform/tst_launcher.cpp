#include "TestEnv.h"
#include "platform/Launcher.h"

#include <QFile>
#include <QtTest>

// Programs "installed" in a private PATH: each fake writes its name and arguments to a
// file, so the test sees what was started.
class FakePath
{
public:
    explicit FakePath(const QString &dir) : m_dir(dir), m_oldPath(qgetenv("PATH"))
    {
        QDir().mkpath(dir);
        qputenv("PATH", QFile::encodeName(dir));
    }
    ~FakePath() { qputenv("PATH", m_oldPath); }
    void install(const QString &name)
    {
        QFile f(m_dir + QLatin1Char('/') + name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        // Shell built-ins only: the private PATH holds nothing else.
        f.write("#!/bin/sh\necho \"${0##*/} $*\" > \"${0%/*}/started\"\n");
        f.close();
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
    }
    // What the fake that ran wrote, once it has run.
    QString started() const
    {
        QFile f(m_dir + QStringLiteral("/started"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).trimmed() : QString();
    }

private:
    QString m_dir;
    QByteArray m_oldPath;
};

class TestLauncher : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void controlPanels_data();
    void controlPanels();
};

void TestLauncher::controlPanels_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<QString>("started"); // "" when nothing can start

    const QString inet = QLatin1String(platform::kInternetOptionsCommand);
    const QString modem = QLatin1String(platform::kModemOptionsCommand);
    const QStringList all {"gnome-control-center", "systemsettings", "nm-connection-editor",
                           "modem-manager-gui"};
    QTest::newRow("internet, only the connection editor")
        << inet << QStringList {"nm-connection-editor"} << "XFCE"
        << "nm-connection-editor";
    QTest::newRow("internet, all, GNOME") << inet << all << "ubuntu:GNOME"
                                          << "gnome-control-center network";
    QTest::newRow("internet, all, KDE") << inet << all << "KDE"
                                        << "systemsettings kcm_networkmanagement";
    QTest::newRow("internet, nothing installed") << inet << QStringList() << "GNOME"
                                                 << "";
    QTest::newRow("modem, all") << modem << all << "GNOME"
                                << "modem-manager-gui";
    QTest::newRow("modem, GNOME settings only")
        << modem << QStringList {"gnome-control-center"} << "GNOME"
        << "gnome-control-center wwan";
    QTest::newRow("modem, the modem manager of another desktop missing")
        << modem << QStringList {"systemsettings"} << "KDE"
        << "";
    QTest::newRow("any other command line runs as it stands")
        << "my-tool --flag x" << QStringList {"my-tool"} << ""
        << "my-tool --flag x";
}

void TestLauncher::controlPanels()
{
    QFETCH(QString, command);
    QFETCH(QStringList, installed);
    QFETCH(QString, desktop);
    QFETCH(QString, started);
    TestEnv env;
    FakePath path(env.path() + QStringLiteral("/bin"));
    for (const QString &name : installed)
        path.install(name);
    qputenv("XDG_CURRENT_DESKTOP", desktop.toUtf8());

    const qint64 pid = platform::Shell(command, 5);
    if (started.isEmpty()) {
        QCOMPARE(pid, 0);
        QTest::qWait(200);
        QCOMPARE(path.started(), QString());
    } else {
        QVERIFY(pid > 0);
        QTRY_COMPARE(path.started(), started);
    }
}

QTEST_MAIN(TestLauncher)
#include "tst_launcher.moc"
