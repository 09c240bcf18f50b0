#include "find/frmSites.h"

#include "app/App.h"
#include "browse/basNav.h"
#include "compat/Dialogs.h"
#include "find/SiteSuggestions.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

using usersites::List;
using usersites::Site;
using usersites::UserSites;

namespace {

QPushButton *button(const char *text, const char *name)
{
    auto *b = new QPushButton(QString::fromUtf8(text));
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

void tell(const QString &text)
{
    compat::MsgBox(text, compat::vbExclamation, app::MainCaption());
}

} // namespace

frmSites::frmSites() : QWidget(nullptr, Qt::Window)
{
    setWindowTitle(QStringLiteral("Sites and Search Engines"));
    usersites::EnsureLoaded();

    cboList = new QComboBox;
    cboList->setObjectName(QStringLiteral("cboList"));
    cboList->addItems({QStringLiteral("Find Freeware: freeware sites"),
                       QStringLiteral("Find on the web: search engines")});

    m_rows = new QStandardItemModel(this);
    lstSites = new QTableView;
    lstSites->setObjectName(QStringLiteral("lstSites"));
    lstSites->setModel(m_rows);
    lstSites->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstSites->setSelectionMode(QAbstractItemView::SingleSelection);
    lstSites->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstSites->verticalHeader()->hide();
    lstSites->horizontalHeader()->setStretchLastSection(true);

    txtName = new QLineEdit;
    txtName->setObjectName(QStringLiteral("txtName"));
    txtAddress = new QLineEdit;
    txtAddress->setObjectName(QStringLiteral("txtAddress"));
    txtAddress->setPlaceholderText(QStringLiteral("https://example.org/search?q={keyword}"));

    cmdAdd = button("&Add", "cmdAdd");
    cmdSave = button("&Save changes", "cmdSave");
    cmdRemove = button("&Remove", "cmdRemove");
    cmdUp = button("Move &up", "cmdUp");
    cmdDown = button("Move &down", "cmdDown");
    cmdTest = button("&Test", "cmdTest");

    m_suggestions = new QStandardItemModel(this);
    for (const SiteSuggestion &s : SiteSuggestions) {
        auto *item = new QStandardItem(QString::fromUtf8(s.name));
        item->setData(QString::fromUtf8(s.address), Qt::UserRole);
        item->setToolTip(QString::fromUtf8(s.address));
        item->setEditable(false);
        m_suggestions->appendRow(item);
    }
    lstSuggestions = new QListView;
    lstSuggestions->setObjectName(QStringLiteral("lstSuggestions"));
    lstSuggestions->setModel(m_suggestions);
    lstSuggestions->setEditTriggers(QAbstractItemView::NoEditTriggers);
    cmdSuggest = button("Add to &Find Freeware", "cmdSuggest");

    cmdImport = button("&Import…", "cmdImport");
    cmdExport = button("E&xport…", "cmdExport");
    cmdClose = button("&Close", "cmdClose");

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Name:"), txtName);
    form->addRow(QStringLiteral("Add&ress:"), txtAddress);
    auto *note = new QLabel(QStringLiteral("Put {keyword} in the address where the keyword goes."));
    note->setWordWrap(true);
    form->addRow(QString(), note);

    auto *edits = new QHBoxLayout;
    for (QPushButton *b : {cmdAdd, cmdSave, cmdRemove, cmdUp, cmdDown, cmdTest})
        edits->addWidget(b);

    auto *suggestions = new QGroupBox(QStringLiteral("Suggestions"));
    auto *sl = new QVBoxLayout(suggestions);
    sl->addWidget(lstSuggestions);
    sl->addWidget(cmdSuggest);

    auto *top = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    auto *listLabel = new QLabel(QStringLiteral("&List:"));
    listLabel->setBuddy(cboList);
    auto *listRow = new QHBoxLayout;
    listRow->addWidget(listLabel);
    listRow->addWidget(cboList, 1);
    left->addLayout(listRow);
    left->addWidget(lstSites, 1);
    left->addLayout(form);
    left->addLayout(edits);
    top->addLayout(left, 3);
    top->addWidget(suggestions, 1);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(cmdImport);
    bottom->addWidget(cmdExport);
    bottom->addStretch();
    bottom->addWidget(cmdClose);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);
    resize(900, 460);

    // The keyboard path: name, Tab, address, Enter adds the row.
    setTabOrder(cboList, txtName);
    setTabOrder(txtName, txtAddress);
    connect(txtAddress, &QLineEdit::returnPressed, this, &frmSites::cmdAdd_Click);
    connect(cmdAdd, &QPushButton::clicked, this, &frmSites::cmdAdd_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmSites::cmdSave_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &frmSites::cmdRemove_Click);
    connect(cmdUp, &QPushButton::clicked, this, [this] { cmdMove_Click(-1); });
    connect(cmdDown, &QPushButton::clicked, this, [this] { cmdMove_Click(1); });
    connect(cmdTest, &QPushButton::clicked, this, &frmSites::cmdTest_Click);
    connect(cmdSuggest, &QPushButton::clicked, this, &frmSites::cmdSuggest_Click);
    connect(lstSuggestions, &QListView::doubleClicked, this, &frmSites::cmdSuggest_Click);
    connect(cmdImport, &QPushButton::clicked, this, &frmSites::cmdImport_Click);
    connect(cmdExport, &QPushButton::clicked, this, &frmSites::cmdExport_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(cboList, &QComboBox::currentIndexChanged, this, [this] {
        fillRows();
        cmdSuggest->setText(list() == List::Freeware ? QStringLiteral("Add to &Find Freeware")
                                                     : QStringLiteral("Add to Find on the &web"));
    });
    connect(&UserSites::instance(), &UserSites::changed, this, &frmSites::fillRows);
    connect(lstSites->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (!current.isValid())
                    return;
                const Site &site = UserSites::instance().rows(list()).at(current.row());
                txtName->setText(site.name);
                txtAddress->setText(site.address);
            });
    fillRows();
    txtName->setFocus();
}

void frmSites::showList(List list)
{
    cboList->setCurrentIndex(list == List::Freeware ? 0 : 1);
    txtName->setFocus();
}

List frmSites::list() const
{
    return cboList->currentIndex() == 1 ? List::Engines : List::Freeware;
}

int frmSites::selectedRow() const
{
    const QModelIndexList rows = lstSites->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void frmSites::fillRows()
{
    m_rows->clear();
    m_rows->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Address")});
    for (const Site &site : UserSites::instance().rows(list())) {
        QList<QStandardItem *> row {new QStandardItem(site.name), new QStandardItem(site.address)};
        m_rows->appendRow(row);
    }
    lstSites->resizeColumnToContents(0);
}

bool frmSites::store(const QList<Site> &rows, int select)
{
    if (!UserSites::instance().setRows(list(), rows)) {
        tell(QStringLiteral("Your list of sites could not be saved to %1.")
                 .arg(usersites::SitesFile()));
        return false;
    }
    if (select >= 0)
        lstSites->selectRow(select);
    return true;
}

void frmSites::cmdAdd_Click()
{
    QList<Site> rows = UserSites::instance().rows(list());
    const Site site {txtName->text(), txtAddress->text().trimmed()};
    const QString why = usersites::CheckSite(list(), site, rows);
    if (!why.isEmpty()) {
        tell(why);
        return;
    }
    rows.append(site);
    if (store(rows, int(rows.size()) - 1)) {
        txtName->clear();
        txtAddress->clear();
        txtName->setFocus();
    }
}

void frmSites::cmdSave_Click()
{
    const int at = selectedRow();
    if (at < 0) {
        tell(QStringLiteral("Please choose the row to change."));
        return;
    }
    QList<Site> rows = UserSites::instance().rows(list());
    const Site site {txtName->text(), txtAddress->text().trimmed()};
    const QString why = usersites::CheckSite(list(), site, rows, at);
    if (!why.isEmpty()) {
        tell(why);
        return;
    }
    rows[at] = site;
    store(rows, at);
}

void frmSites::cmdRemove_Click()
{
    const int at = selectedRow();
    if (at < 0)
        return;
    QList<Site> rows = UserSites::instance().rows(list());
    rows.removeAt(at);
    store(rows, std::min(at, int(rows.size()) - 1));
}

void frmSites::cmdMove_Click(int by)
{
    const int at = selectedRow();
    QList<Site> rows = UserSites::instance().rows(list());
    if (at < 0 || at + by < 0 || at + by >= rows.size())
        return;
    rows.swapItemsAt(at, at + by);
    store(rows, at + by);
}

void frmSites::cmdTest_Click()
{
    const Site site {txtName->text(), txtAddress->text().trimmed()};
    // The name is not the point of a test; only the address must be sound.
    const QString why = usersites::CheckSite(list(), {QStringLiteral("test"), site.address}, {});
    if (!why.isEmpty()) {
        tell(why);
        return;
    }
    basNav::Navigate(usersites::SiteAddress(site.address, QStringLiteral("test")));
}

void frmSites::cmdSuggest_Click()
{
    const QModelIndex index = lstSuggestions->currentIndex();
    if (!index.isValid()) {
        tell(QStringLiteral("Please choose a suggestion."));
        return;
    }
    QList<Site> rows = UserSites::instance().rows(list());
    const Site site {index.data().toString(), index.data(Qt::UserRole).toString()};
    const QString why = usersites::CheckSite(list(), site, rows);
    if (!why.isEmpty()) {
        tell(why);
        return;
    }
    rows.append(site);
    store(rows, int(rows.size()) - 1);
}

void frmSites::cmdImport_Click()
{
    const QString file = QFileDialog::getOpenFileName(
        this, QStringLiteral("Import Sites"), QString(),
        QStringLiteral("Sites (*.ini);;All files (*)"), nullptr, QFileDialog::DontUseNativeDialog);
    if (file.isEmpty())
        return;
    QStringList problems;
    const int added = UserSites::instance().importFile(file, &problems);
    QString text = QStringLiteral("%1 rows were added.").arg(added);
    if (!problems.isEmpty())
        text += QStringLiteral("\n\nNot added:\n") + problems.mid(0, 8).join(u'\n');
    compat::MsgBox(text, problems.isEmpty() ? compat::vbInformation : compat::vbExclamation,
                   app::MainCaption());
}

void frmSites::cmdExport_Click()
{
    const QString file = QFileDialog::getSaveFileName(
        this, QStringLiteral("Export Sites"), QStringLiteral("sites.ini"),
        QStringLiteral("Sites (*.ini);;All files (*)"), nullptr, QFileDialog::DontUseNativeDialog);
    if (file.isEmpty())
        return;
    if (!UserSites::instance().exportFile(file))
        tell(QStringLiteral("The sites could not be written to %1.").arg(file));
}
