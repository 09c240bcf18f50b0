#include "find/SearchWindow.h"

#include "app/App.h"
#include "app/Forms.h"
#include "browse/basNav.h"
#include "compat/Dialogs.h"
#include "compat/Twips.h"
#include "find/FindStyle.h"
#include "find/frmSites.h"
#include "widgets/ClickLabel.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using compat::PlaceTwips;
using compat::Twips;

const SearchRow *FindSearchRow(std::span<const SearchRow> table, const QString &name)
{
    for (const SearchRow &row : table) {
        if (name == QLatin1String(row.name))
            return &row;
    }
    return nullptr;
}

QString SearchAddress(const SearchRow &row, const QString &keyword)
{
    return QString::fromUtf8(row.host) + QString::fromUtf8(row.prefix) + keyword
        + QString::fromUtf8(row.suffix);
}

SearchWindow::SearchWindow(const Design &design)
    : QWidget(nullptr,
              Qt::Window | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint
                  | Qt::WindowCloseButtonHint),
      m_design(design)
{
    setWindowTitle(QLatin1String(design.caption));
    setFixedSize(Twips(5040), Twips(1800));
    findstyle::styleWindow(this);

    if (design.listCaption) {
        m_listCaption = new QLabel(QLatin1String(design.listCaption), this);
        m_listCaption->setObjectName(QStringLiteral("Label3"));
        PlaceTwips(m_listCaption, 240, 240, 960, 285);
    }

    m_list = new QComboBox(this);
    m_list->setObjectName(QLatin1String(design.listName));
    m_list->setEditable(true);
    // Enter in the box neither searches nor adds what was typed to the list.
    m_list->setInsertPolicy(QComboBox::NoInsert);
    usersites::EnsureLoaded();
    fillList();
    m_list->setCurrentIndex(-1);
    m_list->setEditText(QLatin1String(design.prompt));
    connect(&usersites::UserSites::instance(), &usersites::UserSites::changed, this,
            &SearchWindow::fillList);
    // Without a caption the prompt in the box says what it is for.
    if (design.listCaption)
        PlaceTwips(m_list, 1260, 210, 3540, 345);
    else
        PlaceTwips(m_list, 240, 210, 4560, 345);

    const findstyle::KeywordRow row = findstyle::addKeywordRow(this, m_list);
    Label1 = row.caption;
    txtKeyword = row.keyword;
    Label5 = row.search;
    connect(Label5, &widgets::ClickLabel::clicked, this, &SearchWindow::Label5_Click);

    cmdSites = new QPushButton(QStringLiteral("Sites…"), this);
    cmdSites->setObjectName(QStringLiteral("cmdSites"));
    PlaceTwips(cmdSites, 240, 1200, 1200, 375);
    connect(cmdSites, &QPushButton::clicked, this, [this] {
        frmSites *sites = Forms::Show<frmSites>();
        sites->showList(m_design.userList);
        sites->activateWindow();
    });

    compat::CentreOnScreen(this);
}

void SearchWindow::Label5_Click()
{
    const QString name = m_list->currentText();
    if (m_design.promptMessage && name == QLatin1String(m_design.prompt))
        compat::MsgBox(QString::fromUtf8(m_design.promptMessage), compat::vbExclamation,
                       app::MainCaption());
    const SearchRow *row = FindSearchRow(m_design.table, name);
    if (!row) {
        // The user's own rows come after the designed ones and never share a name with them.
        for (const usersites::Site &site :
             usersites::UserSites::instance().rows(m_design.userList)) {
            if (site.name == name) {
                basNav::Navigate(usersites::SiteAddress(site.address, txtKeyword->text()));
                setWindowState((windowState() & ~Qt::WindowActive) | Qt::WindowMinimized);
                return;
            }
        }
        return;
    }
    basNav::Navigate(SearchAddress(*row, txtKeyword->text()));
    // Minimized, not closed: the results come to the front, and the choice and keyword are
    // still there for the next search.
    if (row->minimizeAfter)
        setWindowState((windowState() & ~Qt::WindowActive) | Qt::WindowMinimized);
}

void SearchWindow::fillList()
{
    const QString text = m_list->currentText();
    const int index = m_list->currentIndex();
    m_list->clear();
    m_list->addItems(m_design.names);
    for (const usersites::Site &site : usersites::UserSites::instance().rows(m_design.userList))
        m_list->addItem(site.name);
    // A designed row keeps its place; otherwise the text stays as it was, prompt included.
    if (index >= 0 && index < m_design.names.size())
        m_list->setCurrentIndex(index);
    else {
        m_list->setCurrentIndex(-1);
        m_list->setEditText(text);
    }
}
