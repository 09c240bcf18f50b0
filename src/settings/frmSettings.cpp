#include "settings/frmSettings.h"

#include "app/App.h"
#include "app/Forms.h"
#include "compat/Dialogs.h"
#include "compat/Twips.h"
#include "engine/SitePermissions.h"
#include "settings/Bground.h"
#include "settings/ProgramSettings.h"
#include "settings/WorkingCopy.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>
#include <QVBoxLayout>

using compat::PlaceTwips;
using compat::Twips;
using settings::WorkingCopy;

namespace {
constexpr int kPermissionsTwips = 2280;
}

frmSettings::frmSettings()
    : QWidget(nullptr,
              Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                  | Qt::WindowCloseButtonHint)
{
    setupControls();
}

void frmSettings::setupControls()
{
    setWindowTitle(QStringLiteral("Settings"));
    // The designed settings, and below them the list of site permissions.
    setFixedSize(Twips(5025), Twips(2490 + kPermissionsTwips));

    struct Row
    {
        const char *label;
        const char *labelName;
        const char *field;
        int fieldLeft;
        const char *button;
        const char *buttonCaption;
    };
    const Row rows[] = {
        {"Start Page", "Label1", "txtStartPage", 960, "Command1", "Default"},
        {"Homepage", "Label2", "txtHomePage", 960, "Command3", "Default"},
        {"Search Engine", "Searchengine", "SE", 1320, "Command6", "Default"},
        {"Background", "Label3", "BGRnd", 1320, "Command4", "Browse"},
    };
    QLineEdit *fields[4];
    QPushButton *buttons[4];
    for (int i = 0; i < 4; ++i) {
        const int top = 120 + 360 * i;
        auto *label = new QLabel(QLatin1String(rows[i].label), this);
        label->setObjectName(QLatin1String(rows[i].labelName));
        PlaceTwips(label, 120, top + 15, rows[i].fieldLeft - 150, 255);
        fields[i] = new QLineEdit(this);
        fields[i]->setObjectName(QLatin1String(rows[i].field));
        PlaceTwips(fields[i], rows[i].fieldLeft, top, 4095 - rows[i].fieldLeft, 285);
        buttons[i] = new QPushButton(QLatin1String(rows[i].buttonCaption), this);
        buttons[i]->setObjectName(QLatin1String(rows[i].button));
        PlaceTwips(buttons[i], 4200, top, 735, 255);
    }
    txtStartPage = fields[0];
    txtHomePage = fields[1];
    SE = fields[2];
    BGRnd = fields[3];
    Command1 = buttons[0];
    Command3 = buttons[1];
    Command6 = buttons[2];
    Command4 = buttons[3];

    chkSplash = new QCheckBox(QStringLiteral("Show splash screen"), this);
    chkSplash->setObjectName(QStringLiteral("chkSplash"));
    PlaceTwips(chkSplash, 1320, 1560, 2775, 255);

    // Stored the moment it changes, as the splash box is.
    chkHttpsFirst = new QCheckBox(QStringLiteral("Try secure connections first"), this);
    chkHttpsFirst->setObjectName(QStringLiteral("chkHttpsFirst"));
    PlaceTwips(chkHttpsFirst, 120, 1980, 3060, 255);
    chkHttpsFirst->setChecked(!settings::Program().httpsFirst.isOff(QStringLiteral("1")));
    connect(chkHttpsFirst, &QCheckBox::toggled, this, [](bool on) {
        settings::Program().httpsFirst.setValue(on ? QStringLiteral("1") : QStringLiteral("0"));
    });

    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    PlaceTwips(Command2, 3240, 1920, 855, 375);
    cmdSave = new QPushButton(QStringLiteral("Save"), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    PlaceTwips(cmdSave, 4080, 1920, 855, 375);

    auto *permissions = new QGroupBox(QStringLiteral("Site permissions"), this);
    permissions->setObjectName(QStringLiteral("fraPermissions"));
    PlaceTwips(permissions, 120, 2430, 4815, kPermissionsTwips - 60);
    lstPermissions = new QTreeView(permissions);
    lstPermissions->setObjectName(QStringLiteral("lstPermissions"));
    lstPermissions->setRootIsDecorated(false);
    lstPermissions->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstPermissions->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstPermissions->setAllColumnsShowFocus(true);
    cmdRemovePermission = new QPushButton(QStringLiteral("&Remove"), permissions);
    cmdRemovePermission->setObjectName(QStringLiteral("cmdRemovePermission"));
    cmdRemovePermission->setEnabled(false);
    auto *permissionsLayout = new QVBoxLayout(permissions);
    permissionsLayout->addWidget(lstPermissions, 1);
    permissionsLayout->addWidget(cmdRemovePermission, 0, Qt::AlignRight);
    connect(cmdRemovePermission, &QPushButton::clicked, this,
            &frmSettings::cmdRemovePermission_Click);

    Label4 = new QLabel(QStringLiteral("yes"), this);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->hide();

    connect(chkSplash, &QCheckBox::toggled, this, &frmSettings::chkSplash_Click);
    connect(Command1, &QPushButton::clicked, this, &frmSettings::Command1_Click);
    connect(Command3, &QPushButton::clicked, this, &frmSettings::Command3_Click);
    connect(Command6, &QPushButton::clicked, this, &frmSettings::Command6_Click);
    connect(Command4, &QPushButton::clicked, this, &frmSettings::Command4_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmSettings::cmdSave_Click);
    connect(Command2, &QPushButton::clicked, this, &frmSettings::Command2_Click);

    compat::CentreOnScreen(this);
}

void frmSettings::Form_Load()
{
    m_copy = new WorkingCopy(this);
    bindFields();
    Label4->setText(settings::Program().tips.value());
    lstPermissions->setModel(&engine::SitePermissions::instance());
    lstPermissions->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(lstPermissions->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        cmdRemovePermission->setEnabled(lstPermissions->selectionModel()->hasSelection());
    });
    const QString s = settings::Program().showSplash.value(QStringLiteral("1"));
    // The box starts clear, so ticking it here runs its click rule and stores "1".
    if (s == QLatin1String("1"))
        chkSplash->setChecked(true);
    else if (s == QLatin1String("0"))
        chkSplash->setChecked(false);
}

void frmSettings::cmdRemovePermission_Click()
{
    auto &store = engine::SitePermissions::instance();
    QList<engine::SitePermissions::Row> chosen;
    for (const QModelIndex &i : lstPermissions->selectionModel()->selectedRows())
        chosen.append(store.rows().at(i.row()));
    for (const auto &row : chosen) {
        QString error;
        if (!store.forget(row.site, row.feature, &error)) {
            compat::MsgBox(
                QStringLiteral("The site permissions could not be saved (%1).").arg(error),
                compat::vbExclamation, app::MainCaption());
            return;
        }
    }
}

void frmSettings::Form_Unload()
{
    delete m_copy;
    m_copy = nullptr;
}

void frmSettings::bindFields()
{
    QLineEdit *const fields[] = {txtStartPage, txtHomePage, SE, BGRnd};
    for (int f = 0; f < WorkingCopy::FieldCount; ++f) {
        QLineEdit *field = fields[f];
        field->setText(m_copy->text(WorkingCopy::Field(f)));
        connect(field, &QLineEdit::textChanged, m_copy,
                [this, f](const QString &text) { m_copy->setText(WorkingCopy::Field(f), text); });
    }
    connect(m_copy, &WorkingCopy::textChanged, this,
            [fields = std::to_array(fields)](WorkingCopy::Field f, const QString &text) {
                if (fields[f]->text() != text)
                    fields[f]->setText(text);
            });
}

void frmSettings::chkSplash_Click()
{
    settings::Program().showSplash.setValue(chkSplash->isChecked() ? QStringLiteral("1")
                                                                   : QStringLiteral("0"));
}

void frmSettings::Command1_Click()
{
    m_copy->setText(WorkingCopy::StartPage, QStringLiteral("about:blank"));
}

void frmSettings::Command3_Click()
{
    m_copy->setText(WorkingCopy::HomePage, QStringLiteral("about:blank"));
}

void frmSettings::Command6_Click()
{
    m_copy->setText(WorkingCopy::SearchEngine, settings::ProgramSettings::aesopSearchEngine());
}

void frmSettings::Command4_Click()
{
    Forms::Show<Bground>();
}

void frmSettings::cmdSave_Click()
{
    m_copy->save();
    compat::MsgBox(
        QStringLiteral("If you have changed the Start Page or Home Page you will need to\n"
                       "re-load Scoutwell for your changes to take effect."),
        compat::vbInformation, QStringLiteral("Scoutwell"));
    Forms::Unload<frmSettings>();
}

void frmSettings::Command2_Click()
{
    Forms::Unload<frmSettings>();
}
