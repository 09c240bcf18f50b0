#include "security/Security2.h"

#include "app/Forms.h"
#include "platform/App.h"
#include "platform/Settings.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

using platform::PlaceTwips;
using platform::Twips;

Security2::Security2()
    : QWidget(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setupControls();
}

void Security2::setupControls()
{
    setWindowTitle(QStringLiteral("Restricted Area"));
    setFixedSize(Twips(3090), Twips(3120));

    fOpt = new QGroupBox(QStringLiteral("Password Protect"), this);
    PlaceTwips(fOpt, 120, 120, 2895, 2055);
    Check3 = new QCheckBox(QStringLiteral("Security Area"), fOpt);
    PlaceTwips(Check3, 240, 360, 1335, 255);
    Check2 = new QCheckBox(QStringLiteral("Program"), fOpt);
    PlaceTwips(Check2, 240, 720, 975, 255);
    Check4 = new QCheckBox(QStringLiteral("Settings"), fOpt);
    PlaceTwips(Check4, 240, 1080, 1215, 255);
    auto *extra = new QLabel(QStringLiteral("Extra"), fOpt);
    PlaceTwips(extra, 240, 1440, 1455, 255);
    Check1 = new QCheckBox(QStringLiteral("Log visited websites"), fOpt);
    PlaceTwips(Check1, 360, 1800, 1815, 255);

    Command2 = new QPushButton(QStringLiteral("Internet Options"), this);
    PlaceTwips(Command2, 120, 2280, 1455, 255);
    Command3 = new QPushButton(QStringLiteral("Modem Options"), this);
    PlaceTwips(Command3, 1560, 2280, 1455, 255);
    cmdCPword = new QPushButton(QStringLiteral("Change password"), this);
    PlaceTwips(cmdCPword, 120, 2640, 1455, 375);
    cmdSave = new QPushButton(QStringLiteral("Save and Exit"), this);
    PlaceTwips(cmdSave, 1560, 2640, 1455, 375);

    Frame1 = new QGroupBox(QStringLiteral("Information"), this);
    PlaceTwips(Frame1, 3120, 120, 3015, 2055);
    txtInfo = new QTextEdit(Frame1);
    PlaceTwips(txtInfo, 120, 240, 2775, 1695);
    Command1 = new QPushButton(QStringLiteral("Hide"), this);
    PlaceTwips(Command1, 4920, 2280, 1215, 375);

    lblLog = new QLabel(this);
    lblProgram = new QLabel(this);
    lblPassword = new QLabel(this);
    lblSet = new QLabel(this);
    for (QLabel *carrier : {lblLog, lblProgram, lblPassword, lblSet})
        carrier->hide();

    // The states a box has before the load looks at the store.
    Check1->setChecked(true);
    Check2->setChecked(true);
    Check3->setChecked(true);
    Check4->setChecked(false);

    const struct
    {
        QWidget *w;
        const char *name;
    } names[] = {{fOpt, "fOpt"},
                 {Check1, "Check1"},
                 {Check2, "Check2"},
                 {Check3, "Check3"},
                 {Check4, "Check4"},
                 {lblLog, "lblLog"},
                 {lblProgram, "lblProgram"},
                 {lblPassword, "lblPassword"},
                 {lblSet, "lblSet"},
                 {Command1, "Command1"},
                 {Command2, "Command2"},
                 {Command3, "Command3"},
                 {cmdCPword, "cmdCPword"},
                 {cmdSave, "cmdSave"},
                 {Frame1, "Frame1"},
                 {txtInfo, "txtInfo"}};
    for (const auto &n : names)
        n.w->setObjectName(QLatin1String(n.name));

    // toggled fires only when the state really changes, whether a user clicked or code set
    // it: exactly when the click rule is due.
    connect(Check1, &QCheckBox::toggled, this, &Security2::Check1_Click);
    connect(Check2, &QCheckBox::toggled, this, &Security2::Check2_Click);
    connect(Check3, &QCheckBox::toggled, this, &Security2::Check3_Click);
    connect(Check4, &QCheckBox::toggled, this, &Security2::Check4_Click);
    connect(cmdSave, &QPushButton::clicked, this, &Security2::cmdSave_Click);
}

void Security2::loadSwitch(QCheckBox *box, QLabel *carrier, const char *key, const char *def)
{
    carrier->setText(platform::GetSetting(QLatin1String(key), QLatin1String(def)));
    if (carrier->text() == QLatin1String("0"))
        box->setChecked(false);
    else if (carrier->text() == QLatin1String("1"))
        box->setChecked(true);
}

void Security2::Form_Load()
{
    loadSwitch(Check1, lblLog, "Log", "1");
    loadSwitch(Check2, lblProgram, "PProg", "0");
    loadSwitch(Check3, lblPassword, "PSec", "0");
    loadSwitch(Check4, lblSet, "PSet", "0");
}

void Security2::applyClickRule(QCheckBox *box, QLabel *carrier, const char *key)
{
    carrier->setText(box->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    platform::SaveSetting(QLatin1String(key), carrier->text());
}

void Security2::Check1_Click()
{
    applyClickRule(Check1, lblLog, "Log");
}

void Security2::Check2_Click()
{
    applyClickRule(Check2, lblProgram, "PProg");
}

void Security2::Check3_Click()
{
    applyClickRule(Check3, lblPassword, "PSec");
}

void Security2::Check4_Click()
{
    applyClickRule(Check4, lblSet, "PSet");
}

void Security2::cmdSave_Click()
{
    Forms::Unload<Security2>();
}
