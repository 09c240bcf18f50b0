#include "HelpWindow.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QHeaderView>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>
#include <QTreeWidget>

namespace {

// One look for every page, so the pages themselves hold only their text.
constexpr char kStyle[] = R"(
body { font-size: 10pt; }
h1 { font-size: 16pt; color: #1d4f7c; }
h2 { font-size: 12pt; color: #1d4f7c; margin-top: 14px; }
h3 { font-size: 10pt; margin-top: 10px; }
table { border-collapse: collapse; }
th { background-color: #dde6ef; text-align: left; }
td, th { padding: 3px; }
code { font-family: monospace; color: #5a2d0c; }
.note { background-color: #fff6d5; }
)";

} // namespace

const QList<HelpWindow::Page> &HelpWindow::pages()
{
    static const QList<Page> list = {
        {"index.html", "Contents"},
        {"starting.html", "Starting Scoutwell"},
        {"browsing.html", "The main window and browsing"},
        {"pages.html", "Opening, saving and printing pages"},
        {"finding.html", "Finding freeware and searching the web"},
        {"keywords.html", "Keywords"},
        {"favourites.html", "Favourites"},
        {"settings.html", "Settings and backgrounds"},
        {"security.html", "Passcode, locks and the site log"},
        {"history.html", "History and the Cache Killer"},
        {"guard.html", "Guard: advertising and dangerous sites"},
        {"information.html", "Help, About, Licence and contacting us"},
        {"files.html", "Where Scoutwell keeps its files"},
    };
    return list;
}

QUrl HelpWindow::pageUrl(const QString &file)
{
    return QUrl(QStringLiteral("qrc:/manual/") + file);
}

HelpWindow::HelpWindow()
{
    setWindowTitle(QStringLiteral("Scoutwell Help"));
    setWindowIcon(QApplication::style()->standardIcon(QStyle::SP_DialogHelpButton));

    auto *splitter = new QSplitter(this);
    m_contents = new QTreeWidget(splitter);
    m_contents->setObjectName(QStringLiteral("contents"));
    m_contents->setHeaderLabel(QStringLiteral("Contents"));
    m_contents->setRootIsDecorated(false);
    for (const Page &p : pages()) {
        auto *item = new QTreeWidgetItem(m_contents, {QString::fromUtf8(p.title)});
        item->setData(0, Qt::UserRole, QString::fromLatin1(p.file));
    }
    m_browser = new QTextBrowser(splitter);
    m_browser->setObjectName(QStringLiteral("page"));
    m_browser->document()->setDefaultStyleSheet(QLatin1String(kStyle));
    // Links inside the manual stay here; addresses on the web go to the desktop's browser.
    m_browser->setOpenLinks(false);
    splitter->addWidget(m_contents);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({270, 630});
    setCentralWidget(splitter);

    QToolBar *bar = addToolBar(QStringLiteral("Navigation"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QStyle *style = QApplication::style();
    QAction *back = bar->addAction(style->standardIcon(QStyle::SP_ArrowBack),
                                   QStringLiteral("Back"), m_browser, &QTextBrowser::backward);
    back->setShortcut(QKeySequence::Back);
    QAction *forward = bar->addAction(style->standardIcon(QStyle::SP_ArrowForward),
                                      QStringLiteral("Forward"), m_browser, &QTextBrowser::forward);
    forward->setShortcut(QKeySequence::Forward);
    bar->addAction(style->standardIcon(QStyle::SP_DirHomeIcon), QStringLiteral("Contents"), this,
                   [this] { open(pageUrl(QStringLiteral("index.html"))); });
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    QAction *quit = new QAction(this);
    quit->setShortcuts({QKeySequence::Quit, QKeySequence(Qt::Key_Escape)});
    connect(quit, &QAction::triggered, this, &QWidget::close);
    addAction(quit);

    connect(m_browser, &QTextBrowser::anchorClicked, this, [this](const QUrl &url) {
        if (url.scheme() == QLatin1String("qrc") || url.isRelative())
            open(m_browser->source().resolved(url));
        else
            QDesktopServices::openUrl(url);
    });
    connect(m_browser, &QTextBrowser::sourceChanged, this, &HelpWindow::markContents);
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this] {
        setWindowTitle(QStringLiteral("Scoutwell Help - ") + m_browser->documentTitle());
    });
    connect(m_contents, &QTreeWidget::itemActivated, this, &HelpWindow::followContents);
    connect(m_contents, &QTreeWidget::itemClicked, this, &HelpWindow::followContents);

    // On a small or scaled-up screen the window takes what there is, its frame included
    // (allowed for generously, since the window manager has not drawn it yet).
    QSize size(900, 650);
    if (QScreen *s = screen())
        size = size.boundedTo(s->availableGeometry().size() - QSize(16, 48));
    resize(size);
    open(pageUrl(QStringLiteral("index.html")));
}

void HelpWindow::open(const QUrl &url)
{
    m_browser->setSource(url.isRelative() ? pageUrl(url.toString()) : url);
}

QUrl HelpWindow::currentPage() const
{
    return m_browser->source();
}

void HelpWindow::followContents()
{
    if (QTreeWidgetItem *item = m_contents->currentItem())
        open(pageUrl(item->data(0, Qt::UserRole).toString()));
}

void HelpWindow::markContents(const QUrl &url)
{
    const QString file = url.adjusted(QUrl::RemoveFragment).fileName();
    for (int i = 0; i < m_contents->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = m_contents->topLevelItem(i);
        if (item->data(0, Qt::UserRole).toString() == file) {
            const QSignalBlocker block(m_contents);
            m_contents->setCurrentItem(item);
        }
    }
}
