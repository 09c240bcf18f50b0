#include "TestEnv.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "app/frmSplash.h"
#include "platform/Settings.h"
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
    if (value != QLatin1String("-"))
        platform::SaveSetting(QLatin1String(key), value);
}

QString box(const QString &title, int style, const QString &prompt, bool input = false)
{
    return QStringList {input ? "input" : "message", title, QString::number(style), prompt}.join(
        QLatin1Char('|'));
}

// Every box shown, in order, so that one comparison checks count, text, style and title.
QStringList seen(const TestEnv &env)
{
    QStringList out;
    for (const auto &b : env.boxes)
        out << box(b.title, b.style, b.prompt, b.kind == platform::DialogRequest::Input);
    return out;
}

const int kSysExcl = platform::vbExclamation | platform::vbSystemModal;
const QString kTitle = QStringLiteral("Scoutwell v3.3");

} // namespace

class TestGates : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void gates_data()
    {
        QTest::addColumn<QString>("start"); // Tools > Security, Tools > Settings, or the login
        QTest::addColumn<QString>("flag"); // "PSec" or "PSet"
        QTest::addColumn<QString>("passcode");
        // The passcode given when asked, or "<Cancel>", "<close>".
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("opens"); // the window in view afterwards
        QTest::addColumn<QString>("carrier"); // the gate's carrier afterwards
        QTest::addColumn<QStringList>("boxes");
        const QStringList none,
            refused {box(kTitle, kSysExcl, "Password Invalid, please check and try again")};
        const QString asked = box("Authentication", 0, "Password Required", true);
        const QStringList ask {asked};
        const QStringList denied {
            asked, box("Error", platform::vbExclamation, "Incorrect password, access denied")};
        // The security window's load stores "PSec" = "0" on a fresh profile, so the gate then
        // reads "0"; it does not store "PSet", which reads as "". A passcode stored by another
        // tool is compared on the ten characters the copy holds.
        // clang-format off
        QTest::newRow("Security absent")       << "Security" << "-"   << "Secret"       << ""             << "area"     << "0"   << none;
        QTest::newRow("Security empty")        << "Security" << ""    << "Secret"       << ""             << "area"     << ""    << none;
        QTest::newRow("Security 0")            << "Security" << "0"   << "Secret"       << ""             << "area"     << "0"   << none;
        QTest::newRow("Security 1, right")     << "Security" << "1"   << "Secret"       << "Secret"       << "area"     << "1"   << none;
        QTest::newRow("Security 1, wrong")     << "Security" << "1"   << "Secret"       << "Secre"        << "prompt"   << "1"   << refused;
        QTest::newRow("Security yes")          << "Security" << "yes" << "Secret"       << ""             << ""         << "yes" << none;
        QTest::newRow("Settings absent")       << "Settings" << "-"   << "Secret"       << ""             << "settings" << ""    << none;
        QTest::newRow("Settings empty")        << "Settings" << ""    << "Secret"       << ""             << "settings" << ""    << none;
        QTest::newRow("Settings 0")            << "Settings" << "0"   << "Secret"       << ""             << "settings" << "0"   << none;
        QTest::newRow("Settings 1, right")     << "Settings" << "1"   << "Secret"       << "Secret"       << "settings" << "1"   << ask;
        QTest::newRow("Settings 1, wrong")     << "Settings" << "1"   << "Secret"       << "secret"       << ""         << "1"   << denied;
        QTest::newRow("Settings 1, Cancel")    << "Settings" << "1"   << "Secret"       << "<Cancel>"     << ""         << "1"   << denied;
        QTest::newRow("Settings yes")          << "Settings" << "yes" << "Secret"       << ""             << ""         << "yes" << none;
        QTest::newRow("login: right")          << "login"    << "-"   << "Secret"       << "Secret"       << "main"     << ""    << none;
        QTest::newRow("login: case")           << "login"    << "-"   << "Secret"       << "secret"       << "prompt"   << ""    << refused;
        QTest::newRow("login: trailing blank") << "login"    << "-"   << "Secret"       << "Secret "      << "prompt"   << ""    << refused;
        QTest::newRow("login: none, empty")    << "login"    << "-"   << "-"            << ""             << "main"     << ""    << none;
        QTest::newRow("login: 12, first 10")   << "login"    << "-"   << "123456789012" << "1234567890"   << "main"     << ""    << none;
        QTest::newRow("login: 12, all 12")     << "login"    << "-"   << "123456789012" << "123456789012" << "prompt"   << ""    << refused;
        QTest::newRow("login: Cancel")         << "login"    << "-"   << "Secret"       << "<Cancel>"     << ""         << ""    << none;
        QTest::newRow("login: close")          << "login"    << "-"   << "Secret"       << "<close>"      << ""         << ""    << none;
        // clang-format on
    }

    void gates()
    {
        QFETCH(QString, start);
        QFETCH(QString, flag);
        QFETCH(QString, passcode);
        QFETCH(QString, typed);
        QFETCH(QString, opens);
        QFETCH(QString, carrier);
        QFETCH(QStringList, boxes);
        TestEnv env;
        store("Passcode", passcode);
        store(start == "Security" ? "PSec" : "PSet", flag);
        const bool cancel = typed == QLatin1String("<Cancel>");
        env.queueAnswer(cancel ? platform::vbCancel : platform::vbOK, cancel ? "Secret" : typed);
        frmSplash *splash = Forms::get<frmSplash>();
        PasscodePrompt *prompt = nullptr;
        if (start == "login") {
            Forms::get<Security2>();
            prompt = Forms::Show<frmLogin>();
        } else {
            MDIForm1 *main = Forms::get<MDIForm1>();
            (start == "Security" ? main->TSecurity : main->TSettings)->trigger();
            Security2 *area = Forms::get<Security2>();
            QCOMPARE((start == "Security" ? area->lblPassword : area->lblSet)->text(), carrier);
            prompt = Forms::isLoaded<Security>() ? Forms::get<Security>() : nullptr;
        }
        if (prompt && typed == QLatin1String("<close>")) {
            prompt->close();
        } else if (prompt && cancel) {
            QTest::mouseClick(prompt->Command2, Qt::LeftButton);
        } else if (prompt) {
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
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("box");
        const QString lock = "Current passcode invalid\n\nThis application will now be locked";
        const QString mismatch = "The new passcode and the retyped passcode do not match, please "
                                 "type them again";
        // clang-format off
        QTest::newRow("changed, new cut to 10")    << "old|abcdefghijkl|abcdefghijkl" << "abcdefghij" << box(kTitle, platform::vbInformation, "Passcode Changed");
        QTest::newRow("wrong old")                 << "Old|new|new"                   << "old"        << box(kTitle, kSysExcl, lock);
        QTest::newRow("wrong old, retype differs") << "x|new|neu"                     << "old"        << box(kTitle, kSysExcl, lock);
        QTest::newRow("retype differs")            << "old|new|neu"                   << "old"        << box(kTitle, platform::vbExclamation, mismatch);
        // clang-format on
    }

    void change()
    {
        QFETCH(QString, typed);
        QFETCH(QString, after);
        QFETCH(QString, box);
        TestEnv env;
        platform::SaveSetting(QStringLiteral("Passcode"), QStringLiteral("old"));
        MDIForm1 *main = Forms::Show<MDIForm1>();
        Form3 *form = Forms::Show<Form3>();
        const QStringList boxes = typed.split('|');
        QTest::keyClicks(form->Text1, boxes[0]);
        QTest::keyClicks(form->Text2, boxes[1]);
        QTest::keyClicks(form->Text3, boxes[2]);
        QCOMPARE(form->Text2->displayText(), QString(boxes[1].left(10).size(), QLatin1Char('*')));
        QTest::mouseClick(form->Command1, Qt::LeftButton);

        QCOMPARE(seen(env), QStringList {box});
        QCOMPARE(platform::GetSetting(QStringLiteral("Passcode"), QStringLiteral("absent")), after);
        QCOMPARE(main->isEnabled(), !box.contains(QLatin1String("locked")));
        QCOMPARE(Forms::isLoaded<Form3>(), box.contains(QLatin1String("do not match")));
    }
};

QTEST_MAIN(TestGates)
#include "tst_gates.moc"
