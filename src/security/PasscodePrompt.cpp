#include "security/PasscodePrompt.h"

#include "app/App.h"
#include "compat/Dialogs.h"
#include "compat/Twips.h"
#include "security/Passcode.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using compat::PlaceTwips;
using compat::Twips;

PasscodePrompt::PasscodePrompt(const QString &caption)
    : QWidget(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(caption);
    setFixedSize(Twips(3720), Twips(1320));
    auto *label = new QLabel(QStringLiteral("Password"), this);
    PlaceTwips(label, 120, 150, 960, 255);
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    MaskWithStars(Text1);
    PlaceTwips(Text1, 1080, 120, 2520, 315);
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    PlaceTwips(Command1, 1080, 720, 1215, 375);
    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    PlaceTwips(Command2, 2385, 720, 1215, 375);
    for (QPushButton *b : {Command1, Command2}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    connect(Command1, &QPushButton::clicked, this, &PasscodePrompt::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    compat::CentreOnScreen(this);
    Text1->setFocus();
}

void PasscodePrompt::Command1_Click()
{
    if (PasscodeMatches(Text1->text())) {
        accepted();
        return;
    }
    compat::MsgBox(QStringLiteral("Password Invalid, please check and try again"),
                   compat::vbExclamation | compat::vbSystemModal, app::MainCaption());
    Text1->setFocus();
}

void PasscodePrompt::closeEvent(QCloseEvent *event)
{
    event->ignore();
    Command2_Click();
}
