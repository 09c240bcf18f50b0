#include "security/Form3.h"

#include "platform/App.h"
#include "platform/Settings.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using platform::PlaceTwips;
using platform::Twips;

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
        boxes[i]->setEchoMode(QLineEdit::Password);
        boxes[i]->setMaxLength(kMaxPasscode);
        PlaceTwips(boxes[i], 1440, rows[i].top, 2040, 315);
    }
    Text1 = boxes[0];
    Text2 = boxes[1];
    Text3 = boxes[2];

    Text4 = new QLineEdit(QStringLiteral("0000"), this);
    Text4->setObjectName(QStringLiteral("Text4"));
    Text4->setMaxLength(kMaxPasscode);
    Text4->hide();

    Command1 = new QPushButton(QStringLiteral("Change"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    PlaceTwips(Command1, 1440, 1440, 975, 375);
    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    PlaceTwips(Command2, 2505, 1440, 975, 375);
    for (QPushButton *b : {Command1, Command2}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
}

void Form3::Form_Load()
{
    // setText cuts a longer stored passcode to the field's 10 characters.
    Text4->setText(platform::GetSetting(QStringLiteral("Passcode"), QString()));
}
