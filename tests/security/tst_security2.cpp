#include "TestEnv.h"
#include "app/Forms.h"
#include "platform/App.h"
#include "platform/Settings.h"
#include "security/Security2.h"

#include <QtTest>
#include <QtWidgets>

using platform::SaveSetting;

namespace {

struct Switch
{
    QCheckBox *Security2::*box;
    QLabel *Security2::*carrier;
    QMenu *Security2::*menu;
    const char *key;
};

constexpr Switch kSwitches[] = {
    {&Security2::Check1, &Security2::lblLog, &Security2::mnuLogWT, "Log"},
    {&Security2::Check2, &Security2::lblProgram, &Security2::mnuProgWT, "PProg"},
    {&Security2::Check3, &Security2::lblPassword, &Security2::mnuPWordWT, "PSec"},
    {&Security2::Check4, &Security2::lblSet, &Security2::mnuPSetWT, "PSet"},
};

enum Action { Click, Tick, Clear }; // a click, or a change made by code

} // namespace

class TestSecurity2 : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void switches_data();
    void switches();
    void informationFrame();
    void controlPanels_data();
    void controlPanels();
};

void TestSecurity2::switches_data()
{
    QTest::addColumn<QStringList>("stored"); // Log, PProg, PSec, PSet before the load; "-" absent
    QTest::addColumn<int>("which"); // the switch acted on after the load, -1 for none
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("ticks"); // the four boxes at the end, "1" ticked
    QTest::addColumn<QStringList>("storeAfter");
    const QStringList fresh {"-", "-", "-", "-"};
    const QString p0s0 = QStringLiteral("PProg=0"), s0 = QStringLiteral("PSec=0");
    QTest::newRow("fresh profile") << fresh << -1 << 0 << "1000" << QStringList {p0s0, s0};
    // Each box turned from its first state (ticked, ticked, ticked, clear).
    QTest::newRow("against first states") << QStringList {"0", "0", "0", "1"} << -1 << 0 << "0001"
                                          << QStringList {"Log=0", p0s0, s0, "PSet=1"};
    // Neither "0" nor "1": the boxes keep their first states and the store is untouched.
    const QStringList odd {"yes", " 1", "", "2"};
    QTest::newRow("odd texts") << odd << -1 << 0 << "1110"
                               << QStringList {"Log=yes", "PProg= 1", "PSec=", "PSet=2"};
    // Clicks, and changes made by code, write exactly when the state changes.
    QTest::newRow("click Log") << fresh << 0 << int(Click) << "0000"
                               << QStringList {"Log=0", p0s0, s0};
    QTest::newRow("click Security Area")
        << fresh << 2 << int(Click) << "1010" << QStringList {p0s0, "PSec=1"};
    QTest::newRow("tick Settings")
        << fresh << 3 << int(Tick) << "1001" << QStringList {p0s0, s0, "PSet=1"};
    QTest::newRow("clear Security Area")
        << QStringList {"-", "-", "1", "-"} << 2 << int(Clear) << "1000" << QStringList {p0s0, s0};
    QTest::newRow("tick Log while ticked")
        << fresh << 0 << int(Tick) << "1000" << QStringList {p0s0, s0};
    QTest::newRow("clear Settings 2 while clear")
        << QStringList {"-", "-", "-", "2"} << 3 << int(Clear) << "1000"
        << QStringList {p0s0, s0, "PSet=2"};
}

void TestSecurity2::switches()
{
    QFETCH(QStringList, stored);
    QFETCH(int, which);
    QFETCH(int, action);
    QFETCH(QString, ticks);
    QFETCH(QStringList, storeAfter);
    TestEnv env;
    for (int i = 0; i < 4; ++i) {
        if (stored[i] != QLatin1String("-"))
            SaveSetting(QLatin1String(kSwitches[i].key), stored[i]);
    }
    Security2 *s = Forms::Show<Security2>();
    if (which >= 0 && action == Click)
        QTest::mouseClick(s->*kSwitches[which].box, Qt::LeftButton);
    else if (which >= 0)
        (s->*kSwitches[which].box)->setChecked(action == Tick);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE((s->*kSwitches[i].box)->isChecked(), ticks[i] == QLatin1Char('1'));
        // The carrier holds the stored text, or the box's state when nothing is stored.
        QCOMPARE((s->*kSwitches[i].carrier)->text(),
                 platform::GetSetting(QLatin1String(kSwitches[i].key), QString(ticks[i])));
    }
    QCOMPARE(env.storedSettings(), storeAfter);
}

// Each switch's own help text comes into view with the Information frame; "Hide" takes it
// away. RSis() widens the window only when it is exactly as narrow as designed.
void TestSecurity2::informationFrame()
{
    TestEnv env;
    Security2 *s = Forms::Show<Security2>();
    const auto frameInView = [s] { return s->rect().contains(s->Frame1->geometry()); };
    QSet<QString> texts;
    for (const Switch &sw : kSwitches) {
        QCheckBox *box = s->*sw.box;
        const bool ticked = box->isChecked();
        QVERIFY(!frameInView());
        QTest::mouseClick(box, Qt::RightButton);
        QVERIFY2((s->*sw.menu)->isVisible(), sw.key);
        QCOMPARE(box->isChecked(), ticked); // the right button toggles nothing
        (s->*sw.menu)->actions().first()->trigger();
        (s->*sw.menu)->hide();
        texts << s->txtInfo->toPlainText();
        QVERIFY(frameInView() && s->txtInfo->toPlainText().startsWith("Enabling this "));
        QTest::mouseClick(s->Command1, Qt::LeftButton);
    }
    QCOMPARE(texts.size(), 4);
    for (auto [before, after] : {std::pair {4530, 6345}, {4545, 4545}}) { // outer widths, twips
        s->setFixedWidth(platform::Twips(before) - (s->frameGeometry().width() - s->width()));
        s->RSis();
        QCOMPARE(s->frameGeometry().width(), platform::Twips(after));
    }
}

void TestSecurity2::controlPanels_data()
{
    QTest::addColumn<bool>("internet"); // Internet Options, else Modem Options
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("started"); // "" when nothing can start: a message says so
    const QStringList all {"gnome-control-center", "systemsettings", "nm-connection-editor",
                           "modem-manager-gui"};
    QTest::newRow("internet, connection editor only")
        << true << "XFCE" << QStringList {"nm-connection-editor"} << "nm-connection-editor";
    QTest::newRow("internet, GNOME")
        << true << "ubuntu:GNOME" << all << "gnome-control-center network";
    QTest::newRow("internet, nothing") << true << "GNOME" << QStringList() << "";
    QTest::newRow("modem, GNOME settings only")
        << false << "GNOME" << QStringList {"gnome-control-center"} << "gnome-control-center wwan";
    QTest::newRow("modem, only the KDE settings")
        << false << "GNOME" << QStringList {"systemsettings"} << "";
}

void TestSecurity2::controlPanels()
{
    QFETCH(bool, internet);
    QFETCH(QString, desktop);
    QFETCH(QStringList, installed);
    QFETCH(QString, started);
    TestEnv env;
    // Fakes in a private PATH, each writing its name and arguments with shell built-ins.
    const QString bin = env.path() + QStringLiteral("/bin");
    QVERIFY(QDir().mkpath(bin));
    for (const QString &name : installed) {
        QFile f(bin + QLatin1Char('/') + name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\necho \"${0##*/} $*\" > \"${0%/*}/started\"\n");
        QVERIFY(f.setPermissions(f.permissions() | QFileDevice::ExeOwner));
    }
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin));
    qputenv("XDG_CURRENT_DESKTOP", desktop.toUtf8());
    Security2 *s = Forms::Show<Security2>();
    QTest::mouseClick(internet ? s->Command2 : s->Command3, Qt::LeftButton);
    qputenv("PATH", oldPath);
    const QString message = internet
        ? "No program for the network and internet settings is installed on this computer.\n\n"
          "Install one of these programs to change them: gnome-control-center, "
          "nm-connection-editor, systemsettings, cinnamon-settings."
        : "No program for the modem settings is installed on this computer.\n\nInstall one of "
          "these programs to change them: modem-manager-gui, gnome-control-center, "
          "nm-connection-editor.";
    QCOMPARE(env.boxes.size(), int(started.isEmpty()));
    for (const auto &b : env.boxes) // with nothing to start, a message says so
        QCOMPARE(
            QStringList({b.title, QString::number(b.style), b.prompt}),
            QStringList({"Scoutwell v3.3", QString::number(platform::vbExclamation), message}));
    const auto ran = [&bin] {
        QFile f(bin + QStringLiteral("/started"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).trimmed() : QString();
    };
    if (started.isEmpty())
        QTest::qWait(200);
    QTRY_COMPARE(ran(), started);
}

QTEST_MAIN(TestSecurity2)
#include "tst_security2.moc"
