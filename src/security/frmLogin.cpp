#include "security/frmLogin.h"

#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "app/frmSplash.h"
#include "platform/App.h"
#include "platform/Dialogs.h"
#include "platform/Settings.h"
#include "security/Form3.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

using platform::PlaceTwips;
using platform::Twips;

void ShowLoginWindow()
{
    Forms::Show<frmLogin>();
}

frmLogin::frmLogin()
    : QWidget(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setupControls();
}

void frmLogin::setupControls()
{
    setWindowTitle(QStringLiteral("Login"));
    setFixedSize(Twips(3720), Twips(1320));
    auto *label = new QLabel(QStringLiteral("Password"), this);
    PlaceTwips(label, 120, 150, 960, 255);
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setEchoMode(QLineEdit::Password);
    PlaceTwips(Text1, 1080, 120, 2520, 315);
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    PlaceTwips(Command1, 1080, 720, 1215, 375);
    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    PlaceTwips(Command2, 2385, 720, 1215, 375);
    // No default or cancel button: Enter and Esc press nothing.
    for (QPushButton *b : {Command1, Command2}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    connect(Command1, &QPushButton::clicked, this, &frmLogin::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmLogin::Command2_Click);
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    Text1->setFocus();
}

void frmLogin::Form_Load()
{
    Forms::get<Form3>()->Text4->setText(
        platform::GetSetting(QStringLiteral("Passcode"), QString()));
}

void frmLogin::Command1_Click()
{
    if (Text1->text() == Forms::get<Form3>()->Text4->text()) {
        Forms::Show<MDIForm1>();
        Forms::Unload<frmLogin>();
        if (Forms::isLoaded<frmSplash>())
            Forms::get<frmSplash>()->Timer1->stop();
        return;
    }
    platform::MsgBox(QStringLiteral("Password Invalid, please check and try again"),
                     platform::vbExclamation | platform::vbSystemModal, platform::MainCaption());
    Text1->setFocus();
}

void frmLogin::Command2_Click()
{
    Forms::Unload<frmLogin>();
    Forms::Unload<frmSplash>();
    Forms::UnloadAll();
    QCoreApplication::quit();
}

void frmLogin::closeEvent(QCloseEvent *event)
{
    event->ignore();
    Command2_Click();
}
