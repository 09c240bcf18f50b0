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

// A null value leaves the key absent.
void store(const char *key, const QVariant &value)
{
    if (!value.isNull())
        platform::SaveSetting(QLatin1String(key), value.toString());
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
enum Start { SecurityMenu, SettingsMenu, Login };
enum Opens { None, Area, Prompt, Settings, Main };

} // namespace

class TestGates : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void gates_data();
    void gates();
    void change_data();
    void change();
};

void TestGates::gates_data()
{
    QTest::addColumn<int>("start"); // Tools > Security, Tools > Settings, or the login
    QTest::addColumn<QVariant>("flag"); // "PSec" or "PSet"; null (nil): absent
    QTest::addColumn<QVariant>("passcode"); // null: none stored
    QTest::addColumn<QString>("typed"); // the passcode given when asked, or "<Cancel>", "<close>"
    QTest::addColumn<int>("opens");
    QTest::addColumn<QString>("carrier"); // the gate's carrier afterwards
    QTest::addColumn<QStringList>("boxes");
    const int sec = SecurityMenu, set = SettingsMenu, login = Login;
    const int nothing = None, area = Area, prompt = Prompt, settings = Settings, main = Main;
    const QVariant nil, empty(""), v0("0"), v1("1"), yes("yes"), code("Secret");
    const QVariant twelve("123456789012");
    const QStringList none,
        refused {box(kTitle, kSysExcl, "Password Invalid, please check and try again")};
    const QString asked = box("Authentication", 0, "Password Required", true);
    const QStringList ask {asked};
    const QStringList denied {
        asked, box("Error", platform::vbExclamation, "Incorrect password, access denied")};
    // The security window's load stores "PSec" = "0" on a fresh profile, so the gate then
    // reads "0"; it does not store "PSet", which reads as "".
    QTest::newRow("Security absent") << sec << nil << code << "" << area << "0" << none;
    QTest::newRow("Security empty") << sec << empty << code << "" << area << "" << none;
    QTest::newRow("Security 0") << sec << v0 << code << "" << area << "0" << none;
    QTest::newRow("Security 1, right") << sec << v1 << code << "Secret" << area << "1" << none;
    QTest::newRow("Security 1, wrong") << sec << v1 << code << "Secre" << prompt << "1" << refused;
    QTest::newRow("Security yes") << sec << yes << code << "" << nothing << "yes" << none;
    QTest::newRow("Settings absent") << set << nil << code << "" << settings << "" << none;
    QTest::newRow("Settings empty") << set << empty << code << "" << settings << "" << none;
    QTest::newRow("Settings 0") << set << v0 << code << "" << settings << "0" << none;
    QTest::newRow("Settings 1, right") << set << v1 << code << "Secret" << settings << "1" << ask;
    QTest::newRow("Settings 1, wrong") << set << v1 << code << "secret" << nothing << "1" << denied;
    QTest::newRow("Settings 1, Cancel")
        << set << v1 << code << "<Cancel>" << nothing << "1" << denied;
    QTest::newRow("Settings yes") << set << yes << code << "" << nothing << "yes" << none;
    QTest::newRow("login: right") << login << nil << code << "Secret" << main << "" << none;
    QTest::newRow("login: case") << login << nil << code << "secret" << prompt << "" << refused;
    QTest::newRow("login: trailing blank")
        << login << nil << code << "Secret " << prompt << "" << refused;
    QTest::newRow("login: none, empty") << login << nil << nil << "" << main << "" << none;
    // A passcode stored by another tool is compared on the ten characters the copy holds.
    QTest::newRow("login: 12, first 10")
        << login << nil << twelve << "1234567890" << main << "" << none;
    QTest::newRow("login: 12, all 12")
        << login << nil << twelve << "123456789012" << prompt << "" << refused;
    QTest::newRow("login: Cancel") << login << nil << code << "<Cancel>" << nothing << "" << none;
    QTest::newRow("login: close") << login << nil << code << "<close>" << nothing << "" << none;
}

void TestGates::gates()
{
    QFETCH(int, start);
    QFETCH(QVariant, flag);
    QFETCH(QVariant, passcode);
    QFETCH(QString, typed);
    QFETCH(int, opens);
    QFETCH(QString, carrier);
    QFETCH(QStringList, boxes);
    TestEnv env;
    store("Passcode", passcode);
    store(start == SecurityMenu ? "PSec" : "PSet", flag);
    const bool cancel = typed == QLatin1String("<Cancel>");
    env.queueAnswer(cancel ? platform::vbCancel : platform::vbOK, cancel ? "Secret" : typed);
    frmSplash *splash = Forms::get<frmSplash>();
    PasscodePrompt *prompt = nullptr;
    if (start == Login) {
        Forms::get<Security2>();
        prompt = Forms::Show<frmLogin>();
    } else {
        MDIForm1 *main = Forms::get<MDIForm1>();
        (start == SecurityMenu ? main->TSecurity : main->TSettings)->trigger();
        Security2 *area = Forms::get<Security2>();
        QCOMPARE((start == SecurityMenu ? area->lblPassword : area->lblSet)->text(), carrier);
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
    QCOMPARE(shown<Security2>(), opens == Area);
    QCOMPARE(shown<Security>() || shown<frmLogin>(), opens == Prompt);
    QCOMPARE(shown<frmSettings>(), opens == Settings);
    QCOMPARE(shown<MDIForm1>(), opens == Main);
    QCOMPARE(seen(env), boxes);
    if (opens == Prompt) // the refused text stays, and the focus goes back to it
        QVERIFY(prompt->Text1->text() == typed && prompt->focusWidget() == prompt->Text1);
    if (opens == Main)
        QVERIFY(!splash->Timer1->isActive() && !Forms::isLoaded<frmLogin>());
    if (start == Login && opens == None) // the program ends
        QVERIFY(!Forms::isLoaded<frmSplash>() && !Forms::isLoaded<Security2>());
}

void TestGates::change_data()
{
    QTest::addColumn<QVariant>("before");
    QTest::addColumn<QStringList>("typed"); // old, new, retype
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("box");
    const QString changed = box(kTitle, platform::vbInformation, "Passcode Changed");
    const QString lock
        = box(kTitle, kSysExcl, "Current passcode invalid\n\nThis application will now be locked");
    const QString mismatch = box(kTitle, platform::vbExclamation,
                                 "The new passcode and the retyped passcode do not match, please "
                                 "type them again");
    const QVariant old("old");
    QTest::newRow("changed") << old << QStringList {"old", "new", "new"} << "new" << changed;
    QTest::newRow("wrong old") << old << QStringList {"Old", "new", "new"} << "old" << lock;
    QTest::newRow("wrong old, retype") << old << QStringList {"x", "new", "neu"} << "old" << lock;
    // The boxes are masked and keep ten characters.
    QTest::newRow("new cut to 10")
        << old << QStringList {"old", "abcdefghijkl", "abcdefghijkl"} << "abcdefghij" << changed;
    QTest::newRow("retype differs")
        << old << QStringList {"old", "new", "neu"} << "old" << mismatch;
}

void TestGates::change()
{
    QFETCH(QVariant, before);
    QFETCH(QStringList, typed);
    QFETCH(QString, after);
    QFETCH(QString, box);
    TestEnv env;
    store("Passcode", before);
    MDIForm1 *main = Forms::Show<MDIForm1>();
    Form3 *form = Forms::Show<Form3>();
    QTest::keyClicks(form->Text1, typed[0]);
    QTest::keyClicks(form->Text2, typed[1]);
    QTest::keyClicks(form->Text3, typed[2]);
    QCOMPARE(form->Text2->displayText(), QString(typed[1].left(10).size(), QLatin1Char('*')));
    QTest::mouseClick(form->Command1, Qt::LeftButton);

    QCOMPARE(seen(env), QStringList {box});
    QCOMPARE(platform::GetSetting(QStringLiteral("Passcode"), QStringLiteral("absent")), after);
    const bool locked = box.contains(QLatin1String("locked"));
    QCOMPARE(main->isEnabled(), !locked);
    const bool stays = box.contains(QLatin1String("do not match"));
    QCOMPARE(Forms::isLoaded<Form3>(), stays);
    // The passcode stays in the file as typed, so the file stays its owner's alone.
    const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther
        | QFileDevice::WriteOther;
    QCOMPARE(QFile::permissions(env.settingsFile()) & others, QFileDevice::Permissions());
}

QTEST_MAIN(TestGates)
#include "tst_gates.moc"
