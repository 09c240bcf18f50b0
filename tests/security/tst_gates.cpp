#include "TestEnv.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "app/frmSplash.h"
#include "browse/Form1.h"
#include "platform/Settings.h"
#include "security/Form3.h"
#include "security/Security.h"
#include "security/Security2.h"
#include "security/frmLogin.h"
#include "settings/frmSettings.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using platform::SaveSetting;

namespace {

template<class W> bool shown()
{
    return Forms::isLoaded<W>() && Forms::get<W>()->isVisible();
}

// A null value leaves the key absent.
void store(const char *key, const QVariant &value)
{
    if (!value.isNull())
        SaveSetting(QLatin1String(key), value.toString());
}

#define CHECK_BOX(request, text, boxStyle, boxTitle)                                               \
    do {                                                                                           \
        QCOMPARE((request).prompt, QString(text));                                                 \
        QCOMPARE((request).style, int(boxStyle));                                                  \
        QCOMPARE((request).title, QString(boxTitle));                                              \
    } while (0)

const int kSysExcl = platform::vbExclamation | platform::vbSystemModal;

} // namespace

class TestGates : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void decisionTable_data();
    void decisionTable();
    void settingsGateEntry_data();
    void settingsGateEntry();
    void prompts_data();
    void prompts();
    void loginCancelEndsEverything();
    void change_data();
    void change();
    void boxesMaskAndLimit_data();
    void boxesMaskAndLimit();
};

void TestGates::decisionTable_data()
{
    QTest::addColumn<bool>("security"); // Tools > Security, else Tools > Settings
    QTest::addColumn<QVariant>("flag");
    QTest::addColumn<QString>("opens"); // window shown, "" for none
    QTest::addColumn<QString>("carrier");
    const QVariant absent;
    // The security window's load stores "PSec" = "0" on a fresh profile, so the gate then
    // reads "0"; it does not store "PSet", which reads as "".
    QTest::newRow("Security absent") << true << absent << "Security2"
                                     << "0";
    QTest::newRow("Security empty") << true << QVariant("") << "Security2"
                                    << "";
    QTest::newRow("Security 0") << true << QVariant("0") << "Security2"
                                << "0";
    QTest::newRow("Security 1") << true << QVariant("1") << "Security"
                                << "1";
    QTest::newRow("Security yes") << true << QVariant("yes") << ""
                                  << "yes";
    QTest::newRow("Settings absent") << false << absent << "frmSettings"
                                     << "";
    QTest::newRow("Settings empty") << false << QVariant("") << "frmSettings"
                                    << "";
    QTest::newRow("Settings 0") << false << QVariant("0") << "frmSettings"
                                << "0";
    // Asks first; with no passcode stored the empty answer lets the user in.
    QTest::newRow("Settings 1") << false << QVariant("1") << "frmSettings"
                                << "1";
    QTest::newRow("Settings yes") << false << QVariant("yes") << ""
                                  << "yes";
}

void TestGates::decisionTable()
{
    QFETCH(bool, security);
    QFETCH(QVariant, flag);
    QFETCH(QString, opens);
    QFETCH(QString, carrier);
    TestEnv env;
    store(security ? "PSec" : "PSet", flag);
    MDIForm1 *main = Forms::get<MDIForm1>();
    (security ? main->TSecurity : main->TSettings)->trigger();

    QCOMPARE(shown<Security2>(), opens == QLatin1String("Security2"));
    QCOMPARE(shown<Security>(), opens == QLatin1String("Security"));
    QCOMPARE(shown<frmSettings>(), opens == QLatin1String("frmSettings"));
    Security2 *s = Forms::get<Security2>();
    QCOMPARE((security ? s->lblPassword : s->lblSet)->text(), carrier);
    const bool asked = !security && carrier == QLatin1String("1");
    QCOMPARE(env.boxes.size(), asked ? 1 : 0);
    if (asked) {
        CHECK_BOX(env.boxes[0], "Password Required", 0, "Authentication");
        QCOMPARE(env.boxes[0].kind, platform::DialogRequest::Input);
        QCOMPARE(env.boxes[0].defaultText, QString());
    }
}

void TestGates::settingsGateEntry_data()
{
    QTest::addColumn<QVariant>("passcode");
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("opens");
    QTest::newRow("right") << QVariant("Secret") << int(platform::vbOK) << "Secret" << true;
    QTest::newRow("small letter") << QVariant("Secret") << int(platform::vbOK) << "secret" << false;
    QTest::newRow("cancel, passcode stored")
        << QVariant("Secret") << int(platform::vbCancel) << "Secret" << false;
    QTest::newRow("cancel, no passcode") << QVariant() << int(platform::vbCancel) << "x" << true;
}

void TestGates::settingsGateEntry()
{
    QFETCH(QVariant, passcode);
    QFETCH(int, button);
    QFETCH(QString, entry);
    QFETCH(bool, opens);
    TestEnv env;
    store("Passcode", passcode);
    SaveSetting(QStringLiteral("PSet"), QStringLiteral("1"));
    env.queueAnswer(button, entry);
    Forms::get<MDIForm1>()->TSettings->trigger();
    QCOMPARE(shown<frmSettings>(), opens);
    QCOMPARE(env.boxes.size(), opens ? 1 : 2);
    if (!opens)
        CHECK_BOX(env.boxes[1], "Incorrect password, access denied", platform::vbExclamation,
                  "Error");
}

void TestGates::prompts_data()
{
    QTest::addColumn<bool>("login"); // the login, else the security-area prompt
    QTest::addColumn<QVariant>("passcode");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("login: right") << true << QVariant("Sesame Opn") << "Sesame Opn" << true;
    QTest::newRow("login: small letters")
        << true << QVariant("Sesame Opn") << "sesame opn" << false;
    QTest::newRow("login: trailing blank")
        << true << QVariant("Sesame Opn") << "Sesame Opn " << false;
    QTest::newRow("login: none set, empty") << true << QVariant() << "" << true;
    QTest::newRow("login: none set, text") << true << QVariant() << "x" << false;
    // A passcode stored by another tool is compared on the ten characters the copy holds.
    QTest::newRow("login: 12 stored, first 10")
        << true << QVariant("123456789012") << "1234567890" << true;
    QTest::newRow("login: 12 stored, all 12")
        << true << QVariant("123456789012") << "123456789012" << false;
    QTest::newRow("security: right") << false << QVariant("Sesame Opn") << "Sesame Opn" << true;
    QTest::newRow("security: wrong") << false << QVariant("Sesame Opn") << "Sesame" << false;
}

void TestGates::prompts()
{
    QFETCH(bool, login);
    QFETCH(QVariant, passcode);
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    TestEnv env;
    store("Passcode", passcode);
    frmSplash *splash = Forms::get<frmSplash>();
    PasscodePrompt *prompt
        = login ? static_cast<PasscodePrompt *>(Forms::Show<frmLogin>()) : Forms::Show<Security>();
    QTest::keyClicks(prompt->Text1, typed);
    prompt->Command1->setFocus();
    QTest::mouseClick(prompt->Command1, Qt::LeftButton);

    QCOMPARE(Forms::isLoaded<frmLogin>() || Forms::isLoaded<Security>(), !accepted);
    QCOMPARE(shown<MDIForm1>(), login && accepted);
    QCOMPARE(shown<Security2>(), !login && accepted);
    if (accepted) {
        QVERIFY(env.boxes.isEmpty());
        QCOMPARE(splash->Timer1->isActive(), !login);
        return;
    }
    QCOMPARE(env.boxes.size(), 1);
    CHECK_BOX(env.boxes[0], "Password Invalid, please check and try again", kSysExcl,
              "Scoutwell v3.3");
    QCOMPARE(prompt->Text1->text(), typed);
    QCOMPARE(prompt->focusWidget(), prompt->Text1);
}

void TestGates::loginCancelEndsEverything()
{
    for (bool titleBar : {false, true}) {
        TestEnv env;
        Forms::get<frmSplash>();
        Forms::get<Security2>();
        frmLogin *login = Forms::Show<frmLogin>();
        if (titleBar)
            login->close();
        else
            QTest::mouseClick(login->Command2, Qt::LeftButton);
        QVERIFY(!Forms::isLoaded<frmLogin>() && !Forms::isLoaded<frmSplash>());
        QVERIFY(!Forms::isLoaded<Security2>() && !Forms::isLoaded<Form3>());
    }
}

void TestGates::change_data()
{
    QTest::addColumn<QVariant>("before");
    QTest::addColumn<QStringList>("typed"); // old, new, retype
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("style");
    const QString changed = QStringLiteral("Passcode Changed");
    const QString lock
        = QStringLiteral("Current passcode invalid\n\nThis application will now be locked");
    const QString mismatch = QStringLiteral(
        "The new passcode and the retyped passcode do not match, please type them again");
    const int info = platform::vbInformation;
    QTest::newRow("changed") << QVariant("old") << QStringList {"old", "new", "new"} << "new"
                             << changed << info;
    QTest::newRow("emptied") << QVariant("old") << QStringList {"old", "", ""} << "" << changed
                             << info;
    QTest::newRow("first") << QVariant() << QStringList {"", "1st", "1st"} << "1st" << changed
                           << info;
    QTest::newRow("wrong old") << QVariant("old") << QStringList {"Old", "new", "new"} << "old"
                               << lock << kSysExcl;
    QTest::newRow("wrong old, retype differs")
        << QVariant("old") << QStringList {"x", "new", "neu"} << "old" << lock << kSysExcl;
    QTest::newRow("retype differs") << QVariant("old") << QStringList {"old", "new", "neu"} << "old"
                                    << mismatch << int(platform::vbExclamation);
}

void TestGates::change()
{
    QFETCH(QVariant, before);
    QFETCH(QStringList, typed);
    QFETCH(QString, after);
    QFETCH(QString, message);
    QFETCH(int, style);
    TestEnv env;
    store("Passcode", before);
    MDIForm1 *main = Forms::Show<MDIForm1>();
    Form3 *form = Forms::Show<Form3>();
    QTest::keyClicks(form->Text1, typed[0]);
    QTest::keyClicks(form->Text2, typed[1]);
    QTest::keyClicks(form->Text3, typed[2]);
    QTest::mouseClick(form->Command1, Qt::LeftButton);

    QCOMPARE(env.boxes.size(), 1);
    CHECK_BOX(env.boxes[0], message, style, "Scoutwell v3.3");
    QCOMPARE(platform::GetSetting(QStringLiteral("Passcode"), QStringLiteral("absent")), after);
    const bool locked = style == kSysExcl;
    QCOMPARE(main->isEnabled(), !locked);
    QCOMPARE(Forms::get<Form1>()->isEnabled(), !locked);
    const bool stays = message.startsWith(QLatin1String("The new passcode"));
    QCOMPARE(Forms::isLoaded<Form3>(), stays);
    if (stays) {
        QCOMPARE(form->Text2->text() + form->Text3->text(), QString());
        QCOMPARE(form->focusWidget(), form->Text2);
    } else {
        // The next prompt compares against what the store now holds.
        QCOMPARE(Forms::get<Form3>()->Text4->text(), after);
    }
    // The passcode stays in the file as typed, so the file stays its owner's alone.
    const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther
        | QFileDevice::WriteOther;
    QCOMPARE(QFile::permissions(env.settingsFile()) & others, QFileDevice::Permissions());
}

void TestGates::boxesMaskAndLimit_data()
{
    QTest::addColumn<QString>("box"); // window.box
    QTest::addColumn<int>("kept");
    QTest::newRow("login") << "frmLogin.Text1" << 12;
    QTest::newRow("security") << "Security.Text1" << 12;
    QTest::newRow("old") << "Form3.Text1" << 10;
    QTest::newRow("new") << "Form3.Text2" << 10;
    QTest::newRow("retype") << "Form3.Text3" << 10;
}

void TestGates::boxesMaskAndLimit()
{
    QFETCH(QString, box);
    QFETCH(int, kept);
    TestEnv env;
    const QString window = box.section(QLatin1Char('.'), 0, 0);
    QWidget *w = window == QLatin1String("frmLogin")
        ? static_cast<QWidget *>(Forms::Show<frmLogin>())
        : window == QLatin1String("Security") ? static_cast<QWidget *>(Forms::Show<Security>())
                                              : static_cast<QWidget *>(Forms::Show<Form3>());
    auto *edit = w->findChild<QLineEdit *>(box.section(QLatin1Char('.'), 1));
    QVERIFY(edit);
    QTest::keyClicks(edit, QStringLiteral("abcdefghijkl"));
    QCOMPARE(edit->text(), QStringLiteral("abcdefghijkl").left(kept));
    QCOMPARE(edit->displayText(), QString(kept, QLatin1Char('*')));
    // Enter and Esc press no button: nothing is compared, nothing closes.
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Escape);
    QVERIFY(env.boxes.isEmpty());
    QVERIFY(w->isVisible());
}

QTEST_MAIN(TestGates)
#include "tst_gates.moc"
