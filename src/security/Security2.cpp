#include "security/Security2.h"

#include "app/App.h"
#include "app/Forms.h"
#include "compat/Dialogs.h"
#include "compat/Launcher.h"
#include "compat/Twips.h"
#include "security/Form3.h"
#include "security/Passcode.h"
#include "settings/ProgramSettings.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextEdit>

#include <algorithm>

using compat::PlaceTwips;
using compat::Twips;

namespace {

// One row per switch: its box, its pop-up menu and the help text "Whats This?" shows.
struct HelpRow
{
    QCheckBox *Security2::*box;
    QMenu *Security2::*menu;
    const char *menuName;
    void (Security2::*handler)();
    const char *text;
};

constexpr HelpRow kHelp[] = {
    {&Security2::Check1, &Security2::mnuLogWT, "mnuLogWT", &Security2::mnuLogWT_Click,
     "Enabling this allows you to log every single website visited using Scoutwell. Logs are "
     "saved in this applications folder."},
    {&Security2::Check2, &Security2::mnuProgWT, "mnuProgWT", &Security2::mnuProgWT_Click,
     "Enabling this will prevent any person from running this program without providing a "
     "password.\n\nNote: If you forget your password and this option is enabled, you will not "
     "be able to run it."},
    {&Security2::Check3, &Security2::mnuPWordWT, "mnuPWordWT", &Security2::mnuPWordWT_Click,
     "Enabling this allows you to password protect this security area."},
    {&Security2::Check4, &Security2::mnuPSetWT, "mnuPSetWT", &Security2::mnuPSetWT_Click,
     "Enabling this will prevent any person from accessing the Settings options without "
     "providing the password."},
};

} // namespace

Security2::Security2()
    : QWidget(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setupControls();
}

void Security2::setupControls()
{
    setWindowTitle(QStringLiteral("Restricted Area"));
    setFixedSize(Twips(kClientWidth), Twips(kClientHeight));

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
    // Help to read, not a note pad.
    txtInfo->setReadOnly(true);
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
    connect(cmdCPword, &QPushButton::clicked, this, &Security2::cmdCPword_Click);
    connect(Command1, &QPushButton::clicked, this, &Security2::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Security2::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Security2::Command3_Click);

    for (int row = 0; row < int(std::size(kHelp)); ++row) {
        QMenu *menu = new QMenu(this);
        menu->setObjectName(QLatin1String(kHelp[row].menuName));
        QAction *item = menu->addAction(QStringLiteral("Whats This?"));
        connect(item, &QAction::triggered, this, kHelp[row].handler);
        this->*kHelp[row].menu = menu;
        (this->*kHelp[row].box)->installEventFilter(this);
    }

    // The design's twips were measured for a small 8-point face; with this desktop's wider
    // faces a caption may need more room than its box was drawn with. A box then grows to
    // the right, never past the inner edge of its frame.
    QFont small = font();
    small.setPointSizeF(8);
    setFont(small);
    for (QCheckBox *box : {Check1, Check2, Check3, Check4}) {
        const int room = fOpt->width() - box->x() - Twips(60);
        box->resize(std::clamp(box->sizeHint().width(), box->width(), room), box->height());
    }

    compat::CentreOnScreen(this);
}

void Security2::bindSwitch(QCheckBox *box, QLabel *carrier, settings::Setting &setting)
{
    carrier->setText(setting.carried());
    connect(&setting, &settings::Setting::carriedChanged, carrier, &QLabel::setText);
    // A switch turned elsewhere (every browser window's load ticks the log) moves its box.
    connect(&setting, &settings::Setting::changed, box, [box](const QString &text) {
        if (text == QLatin1String("1") || text == QLatin1String("0"))
            box->setChecked(text == QLatin1String("1"));
    });
}

void Security2::loadSwitch(QCheckBox *box, settings::Setting &setting, const char *def)
{
    const QString text = setting.read(QLatin1String(def));
    if (text == QLatin1String("0"))
        box->setChecked(false);
    else if (text == QLatin1String("1"))
        box->setChecked(true);
}

void Security2::Form_Load()
{
    settings::SecuritySwitches &s = settings::Switches();
    bindSwitch(Check1, lblLog, s.log);
    bindSwitch(Check2, lblProgram, s.program);
    bindSwitch(Check3, lblPassword, s.securityArea);
    bindSwitch(Check4, lblSet, s.settingsLock);
    loadSwitch(Check1, s.log, "1");
    loadSwitch(Check2, s.program, "0");
    loadSwitch(Check3, s.securityArea, "0");
    loadSwitch(Check4, s.settingsLock, "0");
}

// The click rule shared by the four boxes: ticked stores "1", clear stores "0", at once.
static void applyClickRule(QCheckBox *box, settings::Setting &setting)
{
    setting.setValue(box->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

void Security2::Check1_Click()
{
    applyClickRule(Check1, settings::Switches().log);
}

void Security2::Check2_Click()
{
    applyClickRule(Check2, settings::Switches().program);
}

void Security2::Check3_Click()
{
    applyClickRule(Check3, settings::Switches().securityArea);
}

void Security2::Check4_Click()
{
    applyClickRule(Check4, settings::Switches().settingsLock);
}

bool Security2::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        for (const HelpRow &row : kHelp) {
            if (watched == this->*row.box && mouse->button() == Qt::RightButton) {
                (this->*row.menu)->popup(mouse->globalPosition().toPoint());
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Security2::RSis()
{
    // Compared in whole pixels: the width the design's 4530 twips come to on this screen.
    const int outer = frameGeometry().width();
    if (outer == Twips(kRSisFrom))
        setFixedWidth(Twips(kRSisTo) - (outer - width()));
}

// The Information frame and "Hide" lie beyond the designed client width, so the window
// grows to show them when a help text is chosen, and "Hide" shrinks it back. RSis() keeps
// its own rule and runs first, as it always has.
void Security2::setInformationShown(bool shown)
{
    setFixedSize(Twips(shown ? kClientWidthWithInfo : kClientWidth), Twips(kClientHeight));
}

void Security2::showHelp(int row)
{
    RSis();
    txtInfo->setPlainText(QString::fromUtf8(kHelp[row].text));
    setInformationShown(true);
}

void Security2::mnuLogWT_Click()
{
    showHelp(0);
}

void Security2::mnuProgWT_Click()
{
    showHelp(1);
}

void Security2::mnuPWordWT_Click()
{
    showHelp(2);
}

void Security2::mnuPSetWT_Click()
{
    showHelp(3);
}

void Security2::Command1_Click()
{
    RSis();
    setInformationShown(false);
}

void Security2::startControlPanel(const char *commandLine, const QString &what)
{
    const QString command = QLatin1String(commandLine);
    // Window-show mode 5: the panel opens at its usual size and place.
    if (compat::Shell(command, 5) != 0)
        return;
    compat::MsgBox(QStringLiteral("No program for the %1 is installed on this computer.\n\n"
                                  "Install one of these programs to change them: %2.")
                       .arg(what, compat::ShellAlternatives(command).join(QStringLiteral(", "))),
                   compat::vbExclamation, app::MainCaption());
}

void Security2::Command2_Click()
{
    startControlPanel(compat::kInternetOptionsCommand,
                      QStringLiteral("network and internet settings"));
}

void Security2::Command3_Click()
{
    startControlPanel(compat::kModemOptionsCommand, QStringLiteral("modem settings"));
}

void Security2::cmdCPword_Click()
{
    Forms::Show<Form3>();
}

void Security2::cmdSave_Click()
{
    Forms::Unload<Security2>();
}

void Security2::closeEvent(QCloseEvent *event)
{
    event->ignore();
    cmdSave_Click();
}
