#include "guard/frmGuard.h"

#include "compat/Dialogs.h"
#include "guard/BrowserGuard.h"
#include "guard/ListModel.h"
#include "guard/ListStore.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>

using guard::ListStore;

frmGuard::frmGuard()
{
    setupControls();
}

void frmGuard::setupControls()
{
    setWindowTitle(QStringLiteral("Guard"));
    auto *layout = new QVBoxLayout(this);
    chkGuard = new QCheckBox(
        QStringLiteral("Guard on: block advertising and trackers, warn before dangerous sites"),
        this);
    chkSite = new QCheckBox(QStringLiteral("Blocking on this site"), this);
    lblState = new QLabel(this);
    lblState->setWordWrap(true);
    grdLists = new QTableView(this);
    m_model = new guard::ListModel(ListStore::instance(), this);
    grdLists->setModel(m_model);
    grdLists->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdLists->setSelectionMode(QAbstractItemView::SingleSelection);
    grdLists->verticalHeader()->hide();
    grdLists->horizontalHeader()->setStretchLastSection(true);
    grdLists->setWordWrap(false);
    cmdUpdate = new QPushButton(QStringLiteral("Update now"), this);
    cmdAdd = new QPushButton(QStringLiteral("Add list..."), this);
    cmdAddFile = new QPushButton(QStringLiteral("Add file..."), this);
    cmdRemove = new QPushButton(QStringLiteral("Remove"), this);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {cmdUpdate, cmdAdd, cmdAddFile, cmdRemove})
        buttons->addWidget(b);
    buttons->addStretch(1);
    layout->addWidget(chkGuard);
    layout->addWidget(chkSite);
    layout->addWidget(lblState);
    layout->addWidget(grdLists, 1);
    layout->addLayout(buttons);

    const struct
    {
        QWidget *w;
        const char *name;
    } names[] = {{chkGuard, "chkGuard"},     {chkSite, "chkSite"},     {lblState, "lblState"},
                 {grdLists, "grdLists"},     {cmdUpdate, "cmdUpdate"}, {cmdAdd, "cmdAdd"},
                 {cmdAddFile, "cmdAddFile"}, {cmdRemove, "cmdRemove"}};
    for (const auto &n : names)
        n.w->setObjectName(QLatin1String(n.name));

    connect(chkGuard, &QCheckBox::clicked, this, &frmGuard::chkGuard_Click);
    connect(chkSite, &QCheckBox::clicked, this, &frmGuard::chkSite_Click);
    connect(cmdUpdate, &QPushButton::clicked, this, &frmGuard::cmdUpdate_Click);
    connect(cmdAdd, &QPushButton::clicked, this, &frmGuard::cmdAdd_Click);
    connect(cmdAddFile, &QPushButton::clicked, this, &frmGuard::cmdAddFile_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &frmGuard::cmdRemove_Click);
    connect(ListStore::instance(), &ListStore::stateChanged, this, &frmGuard::refresh);
    connect(ListStore::instance(), &ListStore::listsChanged, this, &frmGuard::refresh);
    resize(900, 360);
}

void frmGuard::Form_Load()
{
    // Opened before any page (a test, a start without the engine) the lists are read here.
    ListStore::instance()->start();
    if (guard::BrowserGuard *page = guard::BrowserGuard::current())
        connect(page, &guard::BrowserGuard::pageChanged, this, &frmGuard::refresh);
    grdLists->setColumnWidth(guard::ListModel::Name, 150);
    grdLists->setColumnWidth(guard::ListModel::Source, 330);
    grdLists->setColumnWidth(guard::ListModel::Understood, 70);
    grdLists->setColumnWidth(guard::ListModel::Skipped, 70);
    grdLists->setColumnWidth(guard::ListModel::Updated, 90);
    // Beside the page, below the address box, as the Downloads window stands.
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        move(std::max(avail.left(), avail.right() - width() - 10),
             avail.top() + std::max(0, std::min(150, avail.height() - height())));
    }
    refresh();
}

void frmGuard::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    refresh();
}

void frmGuard::refresh()
{
    ListStore *store = ListStore::instance();
    const bool on = store->settings().enabled;
    chkGuard->setChecked(on);
    guard::BrowserGuard *page = guard::BrowserGuard::current();
    m_site = page ? page->pageHost() : QString();
    chkSite->setEnabled(on && !m_site.isEmpty());
    chkSite->setText(m_site.isEmpty() ? QStringLiteral("Blocking on this site")
                                      : QStringLiteral("Blocking on this site (%1)").arg(m_site));
    chkSite->setChecked(m_site.isEmpty() || store->blockingOn(m_site));
    QString state = on ? store->indexState() : QStringLiteral("Guard is off: nothing is blocked.");
    if (on && page)
        state += QStringLiteral("\nThis page: %1 request(s) blocked.").arg(page->blockedCount());
    if (!store->settingsProblem().isEmpty())
        state += QLatin1Char('\n') + store->settingsProblem();
    lblState->setText(state);
    grdLists->setEnabled(on);
}

void frmGuard::chkGuard_Click()
{
    ListStore::instance()->setEnabled(chkGuard->isChecked());
    refresh();
}

void frmGuard::chkSite_Click()
{
    ListStore::instance()->setBlockingOn(m_site, chkSite->isChecked());
    refresh();
}

void frmGuard::cmdUpdate_Click()
{
    ListStore::instance()->updateNow();
}

void frmGuard::cmdAdd_Click()
{
    const QString text = compat::InputBox(
        QStringLiteral("The web address of a filter list, or a file:"), QStringLiteral("Add list"));
    if (text.trimmed().isEmpty())
        return;
    QString error;
    if (!ListStore::instance()->addList(text, &error))
        compat::MsgBox(error, compat::vbExclamation, QStringLiteral("Guard"));
}

void frmGuard::cmdAddFile_Click()
{
    const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("Add list"), QString(),
                                                      QStringLiteral("Filter lists (*.txt);;All "
                                                                     "files (*)"));
    if (file.isEmpty())
        return;
    QString error;
    if (!ListStore::instance()->addList(file, &error))
        compat::MsgBox(error, compat::vbExclamation, QStringLiteral("Guard"));
}

void frmGuard::cmdRemove_Click()
{
    const QModelIndex current = grdLists->currentIndex();
    if (!current.isValid())
        return;
    QString error;
    if (!ListStore::instance()->removeList(current.row(), &error))
        compat::MsgBox(error, compat::vbExclamation, QStringLiteral("Guard"));
}
