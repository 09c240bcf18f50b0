#include "security/Form3.h"

#include "app/App.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "compat/Dialogs.h"
#include "compat/Twips.h"
#include "security/Passcode.h"
#include "settings/ProgramSettings.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using compat::PlaceTwips;
using compat::Twips;

Form3::Form3() : QWidget(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setupControls();
}

void Form3::setupControls()
{
    setWindowTitle(QStringLiteral("Change Password"));
    setFixedSize(Twips(3600), Twips(2040));

    const struct
    {
        const char *label;
        const char *name;
        int top;
    } rows[] = {
        {"Old Passcode", "Text1", 120}, {"New Passcode", "Text2", 540}, {"Retype", "Text3", 960}};
    QLineEdit *boxes[3];
    for (int i = 0; i < 3; ++i) {
        auto *label = new QLabel(QLatin1String(rows[i].label), this);
        PlaceTwips(label, 120, rows[i].top + 30, 1320, 255);
        boxes[i] = new QLineEdit(this);
        boxes[i]->setObjectName(QLatin1String(rows[i].name));
        MaskWithStars(boxes[i]);
        boxes[i]->setMaxLength(settings::Passcode::kMaxLength);
        PlaceTwips(boxes[i], 1440, rows[i].top, 2040, 315);
    }
    Text1 = boxes[0];
    Text2 = boxes[1];
    Text3 = boxes[2];

    // Beyond the right edge and hidden: never seen, never in the tab order.
    Text4 = new QLineEdit(QStringLiteral("0000"), this);
    Text4->setObjectName(QStringLiteral("Text4"));
    Text4->setMaxLength(settings::Passcode::kMaxLength);
    PlaceTwips(Text4, 3840, 120, 1215, 315);
    Text4->hide();

    Command1 = new QPushButton(QStringLiteral("Change"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    PlaceTwips(Command1, 1440, 1440, 975, 375);
    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    PlaceTwips(Command2, 2505, 1440, 975, 375);
    // No default or cancel button: Enter and Esc press nothing.
    for (QPushButton *b : {Command1, Command2}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form3::Command2_Click);
    compat::CentreOnScreen(this);
    Text1->setFocus();
}

void Form3::Form_Load()
{
    settings::Passcode &passcode = settings::PasscodeSetting();
    Text4->setText(passcode.workingCopy());
    connect(&passcode, &settings::Passcode::changed, Text4, &QLineEdit::setText);
}

void Form3::Command1_Click()
{
    if (!PasscodeMatches(Text1->text())) {
        compat::MsgBox(QStringLiteral("Current passcode invalid\n\nThis application will now "
                                      "be locked"),
                       compat::vbExclamation | compat::vbSystemModal, app::MainCaption());
        // Nothing enables the main window again while the program runs.
        if (Forms::isLoaded<MDIForm1>())
            Forms::get<MDIForm1>()->setEnabled(false);
        Forms::Unload<Form3>();
        return;
    }
    // A mistyped new passcode would lock the user out at the next prompt, so the retyped
    // one must agree before anything is stored; the window stays open for another try.
    if (Text2->text() != Text3->text()) {
        compat::MsgBox(QStringLiteral("The new passcode and the retyped passcode do not "
                                      "match, please type them again"),
                       compat::vbExclamation, app::MainCaption());
        Text2->clear();
        Text3->clear();
        Text2->setFocus();
        return;
    }
    settings::PasscodeSetting().change(Text2->text());
    compat::MsgBox(QStringLiteral("Passcode Changed"), compat::vbInformation, app::MainCaption());
    Forms::Unload<Form3>();
}

void Form3::Command2_Click()
{
    Forms::Unload<Form3>();
}

void Form3::closeEvent(QCloseEvent *event)
{
    event->ignore();
    Command2_Click();
}
