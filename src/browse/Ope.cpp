#include "browse/Ope.h"

#include "app/App.h"
#include "app/Forms.h"
#include "browse/Form1.h"
#include "browse/basNav.h"
#include "compat/FileLists.h"
#include "compat/Twips.h"
#include "engine/WebBrowser.h"
#include "widgets/Activation.h"
#include "widgets/FileChooser.h"

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

    m_chooser = new widgets::FileChooser(
        {QRect(120, 120, 2535, 315), QRect(120, 480, 2535, 2895), QRect(2760, 120, 3135, 3255)},
        this);
    Drive1 = m_chooser->Drive1;
    Dir1 = m_chooser->Dir1;
    File1 = m_chooser->File1;

    Command1 = new QPushButton(QStringLiteral("Open"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    PlaceTwips(Command1, 3600, 3480, 1095, 375);
    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    PlaceTwips(Command2, 4800, 3480, 1095, 375);

    connect(File1, &compat::FileListBox::DblClick, this, &Ope::File1_DblClick);
    connect(Command1, &QPushButton::clicked, this, &Ope::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Ope::Command2_Click);

    widgets::OnActivate(this, [this] { Form_Activate(); });
    compat::CentreOnScreen(this);
}

void Ope::Form_Load()
{
    // The chooser opens in the user's home folder, where a person keeps saved pages.
    m_chooser->start(QDir::homePath());
}

void Ope::Form_Activate()
{
    File1->setPattern(QLatin1String(kPattern));
}

QString Ope::FullPath() const
{
    return compat::JoinFolderFile(Dir1->Path(), File1->FileName());
}

void Ope::Command1_Click()
{
    basNav::Navigate(FullPath());
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
