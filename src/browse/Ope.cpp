#include "browse/Ope.h"

#include "app/App.h"
#include "app/Forms.h"
#include "browse/Form1.h"
#include "compat/FileLists.h"
#include "compat/Twips.h"
#include "engine/WebBrowser.h"
#include "widgets/Activation.h"

#include <QDir>
#include <QEvent>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

using compat::PlaceTwips;
using compat::Twips;

Ope::Ope() : QWidget(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setupControls();
}

void Ope::setupControls()
{
    setWindowTitle(QStringLiteral("Open"));
    setFixedSize(Twips(6015), Twips(3975));

    Drive1 = new compat::DriveListBox(this);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    PlaceTwips(Drive1, 120, 120, 2535, 315);
    Dir1 = new compat::DirListBox(this);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    PlaceTwips(Dir1, 120, 480, 2535, 2895);
    File1 = new compat::FileListBox(this);
    File1->setObjectName(QStringLiteral("File1"));
    PlaceTwips(File1, 2760, 120, 3135, 3255);

    Command1 = new QPushButton(QStringLiteral("Open"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    PlaceTwips(Command1, 3600, 3480, 1095, 375);
    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    PlaceTwips(Command2, 4800, 3480, 1095, 375);

    connect(Drive1, &compat::DriveListBox::Change, this, &Ope::Drive1_Change);
    connect(Dir1, &compat::DirListBox::Change, this, &Ope::Dir1_Change);
    connect(File1, &compat::FileListBox::DblClick, this, &Ope::File1_DblClick);
    connect(Command1, &QPushButton::clicked, this, &Ope::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Ope::Command2_Click);

    widgets::OnActivate(this, [this] { Form_Activate(); });
    compat::CentreOnScreen(this);
}

void Ope::Form_Load()
{
    // The chooser opens in the user's home folder, where a person keeps saved pages.
    Dir1->setPath(QDir::homePath());
    Drive1->setDrive(Dir1->Path());
}

void Ope::Form_Activate()
{
    File1->setPattern(QLatin1String(kPattern));
}

void Ope::Drive1_Change()
{
    // A volume that cannot be read (gone, or not ready) is ignored: the lists stay as they
    // were, and so does the drive shown.
    if (!Dir1->setPath(Drive1->Drive()))
        Drive1->setDrive(Dir1->Path());
}

void Ope::Dir1_Change()
{
    File1->setPath(Dir1->Path());
}

QString Ope::FullPath() const
{
    return compat::JoinFolderFile(Dir1->Path(), File1->FileName());
}

void Ope::Command1_Click()
{
    Forms::get<Form1>()->WebBrowser1->Navigate(FullPath());
    Forms::Unload<Ope>();
}

void Ope::File1_DblClick()
{
    Command1_Click();
}

void Ope::Command2_Click()
{
    Forms::Unload<Ope>();
}
