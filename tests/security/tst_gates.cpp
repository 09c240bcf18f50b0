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

const QString kInvalid = QStringLiteral("Password Invalid, please check and try again");
const QString kTitle = QStringLiteral("Scoutwell v3.3");

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
    void loginCancelEndsEverything_data();
    void loginCancelEndsEverything();
    void change_data();
    void change();
    void boxesMaskAndLimit_data();
    void boxesMaskAndLimit();
};

void TestGates::decisionTable_data()
{
    QTest::addColumn<QString>("gate");
    QTest::addColumn<QVariant>("flag");
    QTest::addColumn<QString>("opens"); // window shown, "" for none
    QTest::addColumn<bool>("asked"); // the input box came up
    QTest::addColumn<QString>("carrier");
    const QVariant absent;
    // The security window's load stores "PSec" = "0" on a fresh profile, so the gate then
    // reads "0"; "PSet" is not stored by that load and reads as "".
    QTest::newRow("Security absent") << "TSecurity" << absent << "Security2" << false << "0";
    QTest::newRow("Security empty") << "TSecurity" << QVariant("") << "Security2" << false << "";
    QTest::newRow("Security 0") << "TSecurity" << QVariant("0") << "Security2" << false << "0";
    QTest::newRow("Security 1") << "TSecurity" << QVariant("1") << "Security" << false << "1";
    QTest::newRow("Security yes") << "TSecurity" << QVariant("yes") << "" << false << "yes";
    QTest::newRow("Settings absent") << "TSettings" << absent << "frmSettings" << false << "";
    QTest::newRow("Settings empty") << "TSettings" << QVariant("") << "frmSettings" << false << "";
    QTest::newRow("Settings 0") << "TSettings" << QVariant("0") << "frmSettings" << false << "0";
    // No passcode stored: the empty answer of the input box lets the user in.
    QTest::newRow("Settings 1") << "TSettings" << QVariant("1") << "frmSettings" << true << "1";
    QTest::newRow("Settings yes") << "TSettings" << QVariant("yes") << "" << false << "yes";
}

void TestGates::decisionTable()
{
    QFETCH(QString, gate);
    QFETCH(QVariant, flag);
    QFETCH(QString, opens);
    QFETCH(bool, asked);
    QFETCH(QString, carrier);
    TestEnv env;
    store(gate == QLatin1String("TSecurity") ? "PSec" : "PSet", flag);
    MDIForm1 *main = Forms::get<MDIForm1>();
    (gate == QLatin1String("TSecurity") ? main->TSecurity : main->TSettings)->trigger();

    QCOMPARE(shown<Security2>(), opens == QLatin1String("Security2"));
    QCOMPARE(shown<Security>(), opens == QLatin1String("Security"));
    QCOMPARE(shown<frmSettings>(), opens == QLatin1String("frmSettings"));
    Security2 *s = Forms::get<Security2>();
    QCOMPARE((gate == QLatin1String("TSecurity") ? s->lblPassword : s->lblSet)->text(), carrier);
    QCOMPARE(env.boxes.size(), asked ? 1 : 0);
    if (asked) {
        const platform::DialogRequest &box = env.boxes.first();
        QCOMPARE(box.kind, platform::DialogRequest::Input);
        QCOMPARE(box.prompt, QStringLiteral("Password Required"));
        QCOMPARE(box.title, QStringLiteral("Authentication"));
        QCOMPARE(box.defaultText, QString());
    }
}

void TestGates::settingsGateEntry_data()
{
    QTest::addColumn<QVariant>("passcode");
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("opens");
    const int ok = platform::vbOK;
    const int cancel = platform::vbCancel;
    QTest::newRow("right") << QVariant("Secret") << ok << "Secret" << true;
    QTest::newRow("capital typed small") << QVariant("Secret") << ok << "secret" << false;
    QTest::newRow("trailing blank") << QVariant("Secret") << ok << "Secret " << false;
    QTest::newRow("cancel, passcode stored") << QVariant("Secret") << cancel << "Secret" << false;
    QTest::newRow("cancel, no passcode") << QVariant() << cancel << "" << true;
    QTest::newRow("empty passcode, text typed") << QVariant("") << ok << "x" << false;
    QTest::newRow("12 stored, first 10 typed")
        << QVariant("abcdefghijkl") << ok << "abcdefghij" << true;
    QTest::newRow("12 stored, all 12 typed")
        << QVariant("abcdefghijkl") << ok << "abcdefghijkl" << false;
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
    if (!opens) {
        QCOMPARE(env.boxes[1].prompt, QStringLiteral("Incorrect password, access denied"));
        QCOMPARE(env.boxes[1].style, int(platform::vbExclamation));
        QCOMPARE(env.boxes[1].title, QStringLiteral("Error"));
    }
}

void TestGates::prompts_data()
{
    QTest::addColumn<bool>("login"); // the login, else the security-area prompt
    QTest::addColumn<QVariant>("passcode");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    for (bool login : {true, false}) {
        const char *w = login ? "login" : "security";
        QTest::addRow("%s: right", w) << login << QVariant("Sesame Opn") << "Sesame Opn" << true;
        QTest::addRow("%s: wrong case", w)
            << login << QVariant("Sesame Opn") << "sesame opn" << false;
        QTest::addRow("%s: trailing blank", w)
            << login << QVariant("Sesame Opn") << "Sesame Opn " << false;
        QTest::addRow("%s: none set, empty entry", w) << login << QVariant() << "" << true;
        QTest::addRow("%s: none set, text typed", w) << login << QVariant() << "x" << false;
        QTest::addRow("%s: 12 stored, first 10", w)
            << login << QVariant("123456789012") << "1234567890" << true;
        QTest::addRow("%s: 12 stored, all 12", w)
            << login << QVariant("123456789012") << "123456789012" << false;
    }
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

    if (accepted) {
        QVERIFY(env.boxes.isEmpty());
        QCOMPARE(Forms::isLoaded<frmLogin>() || Forms::isLoaded<Security>(), false);
        if (login) {
            QVERIFY(shown<MDIForm1>());
            QVERIFY(!splash->Timer1->isActive());
        } else {
            QVERIFY(shown<Security2>());
            QVERIFY(!Forms::isLoaded<MDIForm1>());
        }
        return;
    }
    QCOMPARE(env.boxes.size(), 1);
    QCOMPARE(env.boxes[0].prompt, kInvalid);
    QCOMPARE(env.boxes[0].style, platform::vbExclamation | platform::vbSystemModal);
    QCOMPARE(env.boxes[0].title, kTitle);
    QVERIFY(prompt->isVisible());
    QCOMPARE(prompt->Text1->text(), typed);
    QCOMPARE(prompt->focusWidget(), prompt->Text1);
    QVERIFY(!Forms::isLoaded<MDIForm1>());
    QVERIFY(!Forms::isLoaded<Security2>() || !Forms::get<Security2>()->isVisible());
}

void TestGates::loginCancelEndsEverything_data()
{
    QTest::addColumn<bool>("titleBar");
    QTest::newRow("Cancel") << false;
    QTest::newRow("title-bar close") << true;
}

void TestGates::loginCancelEndsEverything()
{
    QFETCH(bool, titleBar);
    TestEnv env;
    Forms::get<frmSplash>();
    Forms::get<Security2>();
    frmLogin *login = Forms::Show<frmLogin>();
    if (titleBar)
        login->close();
    else
        QTest::mouseClick(login->Command2, Qt::LeftButton);
    QVERIFY(!Forms::isLoaded<frmLogin>());
    QVERIFY(!Forms::isLoaded<frmSplash>());
    QVERIFY(!Forms::isLoaded<Security2>());
    QVERIFY(!Forms::isLoaded<Form3>());
    QVERIFY(!Forms::isLoaded<MDIForm1>());
}

void TestGates::change_data()
{
    QTest::addColumn<QVariant>("before");
    QTest::addColumn<QString>("old");
    QTest::addColumn<QString>("fresh");
    QTest::addColumn<QString>("retype");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("style");
    QTest::addColumn<bool>("locked");
    const QString changed = QStringLiteral("Passcode Changed");
    const QString lock
        = QStringLiteral("Current passcode invalid\n\nThis application will now be locked");
    const QString mismatch = QStringLiteral(
        "The new passcode and the retyped passcode do not match, please type them again");
    const int info = platform::vbInformation;
    const int sysExcl = platform::vbExclamation | platform::vbSystemModal;
    const int excl = platform::vbExclamation;
    QTest::newRow("changed") << QVariant("old") << "old"
                             << "new"
                             << "new"
                             << "new" << changed << info << false;
    QTest::newRow("emptied") << QVariant("old") << "old"
                             << ""
                             << ""
                             << "" << changed << info << false;
    QTest::newRow("first passcode") << QVariant() << ""
                                    << "first"
                                    << "first"
                                    << "first" << changed << info << false;
    QTest::newRow("wrong old") << QVariant("old") << "Old"
                               << "new"
                               << "new"
                               << "old" << lock << sysExcl << true;
    QTest::newRow("wrong old, retype differs") << QVariant("old") << "x"
                                               << "new"
                                               << "neu"
                                               << "old" << lock << sysExcl << true;
    QTest::newRow("retype differs") << QVariant("old") << "old"
                                    << "new"
                                    << "neu"
                                    << "old" << mismatch << excl << false;
}

void TestGates::change()
{
    QFETCH(QVariant, before);
    QFETCH(QString, old);
    QFETCH(QString, fresh);
    QFETCH(QString, retype);
    QFETCH(QString, after);
    QFETCH(QString, message);
    QFETCH(int, style);
    QFETCH(bool, locked);
    TestEnv env;
    store("Passcode", before);
    MDIForm1 *main = Forms::Show<MDIForm1>();
    Form3 *form = Forms::Show<Form3>();
    QTest::keyClicks(form->Text1, old);
    QTest::keyClicks(form->Text2, fresh);
    QTest::keyClicks(form->Text3, retype);
    QTest::mouseClick(form->Command1, Qt::LeftButton);

    QCOMPARE(env.boxes.size(), 1);
    QCOMPARE(env.boxes[0].prompt, message);
    QCOMPARE(env.boxes[0].style, style);
    QCOMPARE(env.boxes[0].title, kTitle);
    QCOMPARE(platform::GetSetting(QStringLiteral("Passcode"), QStringLiteral("absent")), after);
    if (!locked && !message.startsWith(QLatin1String("The new passcode"))) {
        // The passcode stays in the file as typed, so the file stays its owner's alone.
        QCOMPARE(QFile::permissions(env.settingsFile())
                     & ~(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
                         | QFileDevice::WriteUser),
                 QFileDevice::Permissions());
    }
    QCOMPARE(main->isEnabled(), !locked);
    QCOMPARE(Forms::get<Form1>()->isEnabled(), !locked);
    const bool stays = message.startsWith(QLatin1String("The new passcode"));
    QCOMPARE(Forms::isLoaded<Form3>(), stays);
    if (stays) {
        QCOMPARE(form->Text2->text(), QString());
        QCOMPARE(form->focusWidget(), form->Text2);
    } else {
        // The next prompt compares against what the store now holds.
        QCOMPARE(Forms::get<Form3>()->Text4->text(), after);
    }
}

void TestGates::boxesMaskAndLimit_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("kept");
    QTest::newRow("login") << "frmLogin"
                           << "Text1" << 12;
    QTest::newRow("security") << "Security"
                              << "Text1" << 12;
    QTest::newRow("old") << "Form3"
                         << "Text1" << 10;
    QTest::newRow("new") << "Form3"
                         << "Text2" << 10;
    QTest::newRow("retype") << "Form3"
                            << "Text3" << 10;
}

void TestGates::boxesMaskAndLimit()
{
    QFETCH(QString, window);
    QFETCH(QString, box);
    QFETCH(int, kept);
    TestEnv env;
    QWidget *w = window == QLatin1String("frmLogin")
        ? static_cast<QWidget *>(Forms::Show<frmLogin>())
        : window == QLatin1String("Security") ? static_cast<QWidget *>(Forms::Show<Security>())
                                              : static_cast<QWidget *>(Forms::Show<Form3>());
    auto *edit = w->findChild<QLineEdit *>(box);
    QVERIFY(edit);
    QTest::keyClicks(edit, QStringLiteral("abcdefghijkl"));
    QCOMPARE(edit->text(), QStringLiteral("abcdefghijkl").left(kept));
    QCOMPARE(edit->displayText(), QString(kept, QLatin1Char('*')));
    // Enter and Esc press no button: nothing is compared, nothing closes.
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Escape);
    QVERIFY(env.boxes.isEmpty());
    QVERIFY(w->isVisible());
    for (QPushButton *b : w->findChildren<QPushButton *>())
        QVERIFY(!b->isDefault() && !b->autoDefault());
}

QTEST_MAIN(TestGates)
#include "tst_gates.moc"
