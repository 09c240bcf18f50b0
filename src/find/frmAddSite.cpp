#include "find/frmAddSite.h"

#include "app/App.h"
#include "compat/Dialogs.h"
#include "find/UserSites.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using usersites::List;
using usersites::Site;
using usersites::UserSites;

frmAddSite::frmAddSite(const QString &name, const QString &address, QWidget *parent)
    : QDialog(parent), m_address(address)
{
    setWindowTitle(QStringLiteral("Add Search Site"));
    usersites::EnsureLoaded();

    txtName = new QLineEdit(name);
    txtName->setObjectName(QStringLiteral("txtName"));
    lblAddress = new QLabel(address);
    lblAddress->setObjectName(QStringLiteral("lblAddress"));
    // The address comes from a site: shown as text, never as markup.
    lblAddress->setTextFormat(Qt::PlainText);
    lblAddress->setWordWrap(true);
    lblAddress->setTextInteractionFlags(Qt::TextSelectableByMouse);

    const auto button = [](const QString &text, const char *objectName) {
        auto *b = new QPushButton(text);
        b->setObjectName(QLatin1String(objectName));
        b->setAutoDefault(false);
        return b;
    };
    cmdFreeware = button(QStringLiteral("Add to &Find Freeware"), "cmdFreeware");
    cmdEngines = button(QStringLiteral("Add to Find on the &web"), "cmdEngines");
    cmdCancel = button(QStringLiteral("Cancel"), "cmdCancel");

    auto *intro = new QLabel(QStringLiteral("This site offers its search. Add it to one of "
                                            "your lists:"));
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Name:"), txtName);
    form->addRow(QStringLiteral("Address:"), lblAddress);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdFreeware);
    buttons->addWidget(cmdEngines);
    buttons->addStretch();
    buttons->addWidget(cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addLayout(buttons);
    resize(560, sizeHint().height());

    connect(cmdFreeware, &QPushButton::clicked, this, [this] { cmdAdd_Click(false); });
    connect(cmdEngines, &QPushButton::clicked, this, [this] { cmdAdd_Click(true); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    txtName->setFocus();
}

void frmAddSite::cmdAdd_Click(bool engines)
{
    const List list = engines ? List::Engines : List::Freeware;
    QList<Site> rows = UserSites::instance().rows(list);
    const Site site {txtName->text().trimmed(), m_address};
    const QString why = usersites::CheckSite(list, site, rows);
    if (!why.isEmpty()) {
        compat::MsgBox(why, compat::vbExclamation, app::MainCaption());
        txtName->setFocus();
        return;
    }
    rows.append(site);
    if (!UserSites::instance().setRows(list, rows)) {
        compat::MsgBox(QStringLiteral("Your list of sites could not be saved to %1.")
                           .arg(usersites::SitesFile()),
                       compat::vbExclamation, app::MainCaption());
        return;
    }
    accept();
}
