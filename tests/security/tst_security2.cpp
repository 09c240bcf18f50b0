#include "TestEnv.h"
#include "app/Forms.h"
#include "platform/App.h"
#include "platform/Settings.h"
#include "security/Security2.h"

#include <QtTest>
#include <QtWidgets>

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

} // namespace

class TestSecurity2 : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // From the top: the first states (ticked, ticked, ticked, clear), a store that turns each
    // of them, and texts that are neither "0" nor "1", which leave the boxes in their first
    // states and the store untouched. Then clicks, and changes made by code, which write
    // exactly when the state changes.
    void switches_data()
    {
        QTest::addColumn<QString>("stored"); // Log|PProg|PSec|PSet before the load; "-" absent
        QTest::addColumn<int>("which"); // the switch acted on after the load
        QTest::addColumn<QString>("action"); // "click", or "tick" or "clear" by code
        QTest::addColumn<QString>("ticks"); // the four boxes at the end, "1" ticked
        QTest::addColumn<QString>("storeAfter");
        // clang-format off
        QTest::newRow("fresh profile")                << "-|-|-|-"     << -1 << ""      << "1000" << "PProg=0|PSec=0";
        QTest::newRow("against first states")         << "0|0|0|1"     << -1 << ""      << "0001" << "Log=0|PProg=0|PSec=0|PSet=1";
        QTest::newRow("odd texts")                    << "yes| 1||2"   << -1 << ""      << "1110" << "Log=yes|PProg= 1|PSec=|PSet=2";
        QTest::newRow("click Log")                    << "-|-|-|-"     << 0  << "click" << "0000" << "Log=0|PProg=0|PSec=0";
        QTest::newRow("click Security Area")          << "-|-|-|-"     << 2  << "click" << "1010" << "PProg=0|PSec=1";
        QTest::newRow("tick Settings")                << "-|-|-|-"     << 3  << "tick"  << "1001" << "PProg=0|PSec=0|PSet=1";
        QTest::newRow("clear Security Area")          << "-|-|1|-"     << 2  << "clear" << "1000" << "PProg=0|PSec=0";
        QTest::newRow("clear Settings 2 while clear") << "-|-|-|2"     << 3  << "clear" << "1000" << "PProg=0|PSec=0|PSet=2";
        // clang-format on
    }
    void switches()
    {
        QFETCH(QString, stored);
        QFETCH(int, which);
        QFETCH(QString, action);
        QFETCH(QString, ticks);
        QFETCH(QString, storeAfter);
        TestEnv env;
        for (int i = 0; i < 4; ++i) {
            if (stored.split('|')[i] != QLatin1String("-"))
                platform::SaveSetting(QLatin1String(kSwitches[i].key), stored.split('|')[i]);
        }
        Security2 *s = Forms::Show<Security2>();
        if (action == "click")
            QTest::mouseClick(s->*kSwitches[which].box, Qt::LeftButton);
        else if (which >= 0)
            (s->*kSwitches[which].box)->setChecked(action == "tick");
        for (int i = 0; i < 4; ++i) {
            QCOMPARE((s->*kSwitches[i].box)->isChecked(), ticks[i] == QLatin1Char('1'));
            // The carrier holds the stored text, or the box's state when nothing is stored.
            QCOMPARE((s->*kSwitches[i].carrier)->text(),
                     platform::GetSetting(QLatin1String(kSwitches[i].key), QString(ticks[i])));
        }
        QCOMPARE(env.storedSettings().join('|'), storeAfter);
    }

    // Each switch's own help text comes into view with the Information frame; "Hide" takes
    // it away. RSis() widens the window only when it is exactly as narrow as designed.
    void informationFrame()
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
        for (auto [before, after] : {std::pair {4530, 6345}, {4545, 4545}}) { // outer, twips
            s->setFixedWidth(platform::Twips(before) - (s->frameGeometry().width() - s->width()));
            s->RSis();
            QCOMPARE(s->frameGeometry().width(), platform::Twips(after));
        }
    }

    // Internet Options and Modem Options start this desktop's program for them, or another
    // desktop's as a last resort; with none installed, a message names those to install.
    void controlPanels_data()
    {
        QTest::addColumn<bool>("internet"); // Internet Options, else Modem Options
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QString>("installed");
        QTest::addColumn<QString>("started"); // "" when nothing can start
        const QString all
            = "gnome-control-center systemsettings nm-connection-editor modem-manager-gui";
        // clang-format off
        QTest::newRow("internet, connection editor only") << true  << "XFCE"         << "nm-connection-editor" << "nm-connection-editor";
        QTest::newRow("internet, GNOME")                  << true  << "ubuntu:GNOME" << all                    << "gnome-control-center network";
        QTest::newRow("internet, nothing")                << true  << "GNOME"        << ""                     << "";
        QTest::newRow("modem, GNOME settings only")       << false << "GNOME"        << "gnome-control-center" << "gnome-control-center wwan";
        QTest::newRow("modem, only the KDE settings")     << false << "GNOME"        << "systemsettings"       << "";
        // clang-format on
    }
    void controlPanels()
    {
        QFETCH(bool, internet);
        QFETCH(QString, desktop);
        QFETCH(QString, installed);
        QFETCH(QString, started);
        TestEnv env;
        // Fakes in a private PATH, each writing its name and arguments with shell built-ins.
        const QString bin = env.path() + QStringLiteral("/bin");
        QVERIFY(QDir().mkpath(bin));
        for (const QString &name : installed.split(' ', Qt::SkipEmptyParts)) {
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
            ? "No program for the network and internet settings is installed on this computer."
              "\n\nInstall one of these programs to change them: gnome-control-center, "
              "nm-connection-editor, systemsettings, cinnamon-settings."
            : "No program for the modem settings is installed on this computer.\n\nInstall one "
              "of these programs to change them: modem-manager-gui, gnome-control-center, "
              "nm-connection-editor.";
        QCOMPARE(env.boxes.size(), int(started.isEmpty()));
        for (const auto &b : env.boxes)
            QCOMPARE(QStringList({b.title, QString::number(b.style), b.prompt}),
                     QStringList({"Scoutwell v3.3", "48", message}));
        const auto ran = [&bin] {
            QFile f(bin + QStringLiteral("/started"));
            return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).trimmed()
                                               : QString();
        };
        if (started.isEmpty())
            QTest::qWait(200);
        QTRY_COMPARE(ran(), started);
    }
};

QTEST_MAIN(TestSecurity2)
#include "tst_security2.moc"
