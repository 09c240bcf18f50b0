#include "CacheFiles.h"
#include "KeptList.h"
#include "TestEnv.h"
#include "app/App.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "app/frmSplash.h"
#include "compat/Settings.h"
#include "compat/Twips.h"
#include "security/Form3.h"
#include "security/Security.h"
#include "security/Security2.h"
#include "security/frmLogin.h"
#include "settings/frmSettings.h"

#include <QtTest>
#include <QtWidgets>

namespace {

template<class W> bool shown()
{
    return Forms::isLoaded<W>() && Forms::get<W>()->isVisible();
}

// "-" leaves the key absent.
void store(const char *key, const QString &value)
{
    if (value != "-")
        compat::SaveSetting(key, value);
}

QString box(const QString &title, int style, const QString &prompt, bool input = false)
{
    return QStringList {input ? "input" : "message", title, QString::number(style), prompt}.join(
        '|');
}

// Every box shown, in order, so that one comparison checks count, text, style and title.
QStringList seen(const TestEnv &env)
{
    QStringList out;
    for (const auto &b : env.boxes)
        out << box(b.title, b.style, b.prompt, b.kind == compat::DialogRequest::Input);
    return out;
}

const int kSysExcl = compat::vbExclamation | compat::vbSystemModal;
const QString kTitle = app::MainCaption();

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

// A gate: Tools > Security or Tools > Settings with its flag ("PSec" or "PSet") as stored,
// or the login; the passcode typed when asked, or "<Cancel>", "<close>"; the window in view
// afterwards, and the boxes shown.
struct Gate
{
    QString start, flag, passcode, typed, opens;
    QStringList boxes;
};

// Log|PProg|PSec|PSet before the load ("-" absent); the switch acted on after the load by
// "click", or "tick" or "clear" by code; the four boxes at the end ("1" ticked); the store.
struct Switches
{
    QString stored;
    int which;
    QString action, ticks, storeAfter;
};

// Internet Options, else Modem Options; "started" is "" when nothing can start.
struct Panel
{
    bool internet;
    QString desktop, installed, started;
};

} // namespace

class TestSecurity : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void gates_data()
    {
        QTest::addColumn<Gate>("row");
        const QStringList none,
            refused {box(kTitle, kSysExcl, "Password Invalid, please check and try again")};
        const QString asked = box("Authentication", 0, "Password Required", true);
        const QStringList ask {asked};
        const QStringList denied {
            asked, box("Error", compat::vbExclamation, "Incorrect password, access denied")};
        // The security window's load stores "PSec" = "0" on a fresh profile, so the gate then
        // reads "0"; it does not store "PSet", which reads as "". A passcode stored by another
        // tool is compared on the ten characters the copy holds.
        // clang-format off
        QTest::newRow("Security absent") << Gate {"Security", "-", "Secret", "", "area", none};
        QTest::newRow("Security empty") << Gate {"Security", "", "Secret", "", "area", none};
        QTest::newRow("Security 1, right") << Gate {"Security", "1", "Secret", "Secret", "area", none};
        QTest::newRow("Security yes") << Gate {"Security", "yes", "Secret", "", "", none};
        QTest::newRow("Settings absent") << Gate {"Settings", "-", "Secret", "", "settings", none};
        QTest::newRow("Settings 0") << Gate {"Settings", "0", "Secret", "", "settings", none};
        QTest::newRow("Settings 1, right") << Gate {"Settings", "1", "Secret", "Secret", "settings", ask};
        QTest::newRow("Settings 1, wrong") << Gate {"Settings", "1", "Secret", "secret", "", denied};
        QTest::newRow("Settings 1, Cancel") << Gate {"Settings", "1", "Secret", "<Cancel>", "", denied};
        QTest::newRow("Settings yes") << Gate {"Settings", "yes", "Secret", "", "", none};
        QTest::newRow("login: right") << Gate {"login", "-", "Secret", "Secret", "main", none};
        QTest::newRow("login: case") << Gate {"login", "-", "Secret", "secret", "prompt", refused};
        QTest::newRow("login: trailing blank") << Gate {"login", "-", "Secret", "Secret ", "prompt", refused};
        QTest::newRow("login: none, empty") << Gate {"login", "-", "-", "", "main", none};
        QTest::newRow("login: 12, first 10") << Gate {"login", "-", "123456789012", "1234567890", "main", none};
        QTest::newRow("login: 12, all 12") << Gate {"login", "-", "123456789012", "123456789012", "prompt", refused};
        QTest::newRow("login: Cancel") << Gate {"login", "-", "Secret", "<Cancel>", "", none};
        QTest::newRow("login: close") << Gate {"login", "-", "Secret", "<close>", "", none};
        // clang-format on
    }

    void gates()
    {
        QFETCH(Gate, row);
        const auto &[start, flag, passcode, typed, opens, boxes] = row;
        TestEnv env;
        store("Passcode", passcode);
        store(start == "Security" ? "PSec" : "PSet", flag);
        const bool cancel = typed == QLatin1String("<Cancel>");
        env.queueAnswer(cancel ? compat::vbCancel : compat::vbOK, cancel ? "Secret" : typed);
        frmSplash *splash = Forms::get<frmSplash>();
        PasscodePrompt *prompt = nullptr;
        if (start == "login") {
            Forms::get<Security2>();
            prompt = Forms::Show<frmLogin>();
        } else {
            MDIForm1 *main = Forms::get<MDIForm1>();
            (start == "Security" ? main->TSecurity : main->TSettings)->trigger();
            Security2 *area = Forms::get<Security2>();
            // The gate's carrier holds the flag as stored, or as the load stored it.
            QCOMPARE((start == "Security" ? area->lblPassword : area->lblSet)->text(),
                     flag != "-"               ? flag
                         : start == "Security" ? "0"
                                               : "");
            prompt = Forms::isLoaded<Security>() ? Forms::get<Security>() : nullptr;
        }
        if (prompt && typed == "<close>")
            prompt->close();
        else if (prompt && cancel)
            QTest::mouseClick(prompt->Command2, Qt::LeftButton);
        else if (prompt) {
            QTest::keyClicks(prompt->Text1, typed);
            QCOMPARE(prompt->Text1->displayText(), QString(typed.size(), QLatin1Char('*')));
            QTest::keyClick(prompt->Text1, Qt::Key_Return); // no default button: nothing happens
            prompt->Command1->setFocus();
            QTest::mouseClick(prompt->Command1, Qt::LeftButton);
        }
        QCOMPARE(shown<Security2>(), opens == "area");
        QCOMPARE(shown<Security>() || shown<frmLogin>(), opens == "prompt");
        QCOMPARE(shown<frmSettings>(), opens == "settings");
        QCOMPARE(shown<MDIForm1>(), opens == "main");
        QCOMPARE(seen(env), boxes);
        if (opens == "prompt") // the refused text stays, and the focus goes back to it
            QVERIFY(prompt->Text1->text() == typed && prompt->focusWidget() == prompt->Text1);
        if (opens == "main")
            QVERIFY(!splash->Timer1->isActive() && !Forms::isLoaded<frmLogin>());
        if (start == "login" && opens.isEmpty()) // the program ends
            QVERIFY(!Forms::isLoaded<frmSplash>() && !Forms::isLoaded<Security2>());
    }

    // The stored passcode is "old". A wrong old passcode locks the main window and stores
    // nothing, whatever the other boxes hold; the boxes are masked and keep ten characters.
    void change_data()
    {
        QTest::addColumn<QString>("typed"); // old, new, retype
        QTest::addColumn<QString>("box");
        const QString lock = "Current passcode invalid\n\nThis application will now be locked";
        const QString mismatch = "The new passcode and the retyped passcode do not match, please "
                                 "type them again";
        // clang-format off
        QTest::newRow("changed, new cut to 10")    << "old|abcdefghijkl|abcdefghijkl" << box(kTitle, compat::vbInformation, "Passcode Changed");
        QTest::newRow("wrong old")                 << "Old|new|new"                   << box(kTitle, kSysExcl, lock);
        QTest::newRow("wrong old, retype differs") << "x|new|neu"                     << box(kTitle, kSysExcl, lock);
        QTest::newRow("retype differs")            << "old|new|neu"                   << box(kTitle, compat::vbExclamation, mismatch);
        // clang-format on
    }

    void change()
    {
        QFETCH(QString, typed);
        QFETCH(QString, box);
        TestEnv env;
        compat::SaveSetting("Passcode", "old");
        MDIForm1 *main = Forms::Show<MDIForm1>();
        Form3 *form = Forms::Show<Form3>();
        const QStringList boxes = typed.split('|');
        QTest::keyClicks(form->Text1, boxes[0]);
        QTest::keyClicks(form->Text2, boxes[1]);
        QTest::keyClicks(form->Text3, boxes[2]);
        QCOMPARE(form->Text2->displayText(), QString(boxes[1].left(10).size(), QLatin1Char('*')));
        QTest::mouseClick(form->Command1, Qt::LeftButton);

        QCOMPARE(seen(env), QStringList {box});
        QCOMPARE(compat::GetSetting("Passcode"),
                 box.contains("Changed") ? boxes[1].left(10) : "old");
        QCOMPARE(main->isEnabled(), !box.contains("locked"));
        QCOMPARE(Forms::isLoaded<Form3>(), box.contains("do not match"));
    }

    // From the top: the first states (ticked, ticked, ticked, clear), a store that turns each
    // of them, and texts that are neither "0" nor "1", which leave the boxes in their first
    // states and the store untouched. Then clicks, and changes made by code, which write
    // exactly when the state changes.
    void switches_data()
    {
        QTest::addColumn<Switches>("row");
        // clang-format off
        QTest::newRow("fresh profile") << Switches {"-|-|-|-", -1, "", "1000", "PProg=0|PSec=0"};
        QTest::newRow("against first states") << Switches {"0|0|0|1", -1, "", "0001", "Log=0|PProg=0|PSec=0|PSet=1"};
        QTest::newRow("odd texts") << Switches {"yes| 1||2", -1, "", "1110", "Log=yes|PProg= 1|PSec=|PSet=2"};
        QTest::newRow("click Log") << Switches {"-|-|-|-", 0, "click", "0000", "Log=0|PProg=0|PSec=0"};
        QTest::newRow("click Security Area") << Switches {"-|-|-|-", 2, "click", "1010", "PProg=0|PSec=1"};
        QTest::newRow("tick Settings") << Switches {"-|-|-|-", 3, "tick", "1001", "PProg=0|PSec=0|PSet=1"};
        QTest::newRow("clear Security Area") << Switches {"-|-|1|-", 2, "clear", "1000", "PProg=0|PSec=0"};
        QTest::newRow("clear Settings 2 while clear") << Switches {"-|-|-|2", 3, "clear", "1000", "PProg=0|PSec=0|PSet=2"};
        // clang-format on
    }
    void switches()
    {
        QFETCH(Switches, row);
        const auto &[stored, which, action, ticks, storeAfter] = row;
        TestEnv env;
        for (int i = 0; i < 4; ++i)
            store(kSwitches[i].key, stored.split('|')[i]);
        Security2 *s = Forms::Show<Security2>();
        if (action == "click")
            QTest::mouseClick(s->*kSwitches[which].box, Qt::LeftButton);
        else if (which >= 0)
            (s->*kSwitches[which].box)->setChecked(action == "tick");
        for (int i = 0; i < 4; ++i) {
            QCOMPARE((s->*kSwitches[i].box)->isChecked(), ticks[i] == QLatin1Char('1'));
            // The carrier holds the stored text, or the box's state when nothing is stored.
            QCOMPARE((s->*kSwitches[i].carrier)->text(),
                     compat::GetSetting(QLatin1String(kSwitches[i].key), QString(ticks[i])));
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
            s->setFixedWidth(compat::Twips(before) - (s->frameGeometry().width() - s->width()));
            s->RSis();
            QCOMPARE(s->frameGeometry().width(), compat::Twips(after));
        }
    }

    // Internet Options and Modem Options start this desktop's program for them, or another
    // desktop's as a last resort; with none installed, a message names those to install.
    void controlPanels_data()
    {
        QTest::addColumn<Panel>("row");
        const QString all
            = "gnome-control-center systemsettings nm-connection-editor modem-manager-gui";
        // clang-format off
        QTest::newRow("internet, connection editor only") << Panel {true, "XFCE", "nm-connection-editor", "nm-connection-editor"};
        QTest::newRow("internet, GNOME") << Panel {true, "ubuntu:GNOME", all, "gnome-control-center network"};
        QTest::newRow("modem, GNOME settings only") << Panel {false, "GNOME", "gnome-control-center", "gnome-control-center wwan"};
        QTest::newRow("modem, only the KDE settings") << Panel {false, "GNOME", "systemsettings", ""};
        // clang-format on
    }
    void controlPanels()
    {
        QFETCH(Panel, row);
        const auto &[internet, desktop, installed, started] = row;
        TestEnv env;
        // Fakes in a private PATH, each writing its name and arguments with shell built-ins.
        const QString bin = env.path() + QStringLiteral("/bin/");
        for (const QString &name : installed.split(' '))
            QVERIFY(cachefiles::writeFile(bin + name,
                                          "#!/bin/sh\necho \"${0##*/} $*\" > \"${0%/*}/started\"\n")
                    && QFile::setPermissions(bin + name, QFile::ReadOwner | QFile::ExeOwner));
        const QByteArray oldPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin));
        qputenv("XDG_CURRENT_DESKTOP", desktop.toUtf8());
        Security2 *s = Forms::Show<Security2>();
        QTest::mouseClick(internet ? s->Command2 : s->Command3, Qt::LeftButton);
        qputenv("PATH", oldPath);
        QCOMPARE(env.boxes.size(), int(started.isEmpty()));
        for (const auto &b : env.boxes) // it names programs that would do
            QVERIFY(b.title == kTitle && b.style == 48
                    && b.prompt.contains("nm-connection-editor"));
        if (started.isEmpty())
            QTest::qWait(200);
        QTRY_COMPARE(QString(readFile(bin + "started")).trimmed(), started);
    }
};

QTEST_MAIN(TestSecurity)
#include "tst_security.moc"
