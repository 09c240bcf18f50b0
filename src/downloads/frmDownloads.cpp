#include "downloads/frmDownloads.h"

#include "app/ExternalAddress.h"
#include "app/Forms.h"
#include "compat/Dialogs.h"
#include "compat/Shell.h"
#include "downloads/DownloadList.h"
#include "downloads/PublishedSum.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QUrl>
#include <QVBoxLayout>

using downloads::DownloadList;
using downloads::Entry;
using downloads::State;

namespace {

// Every row is this wide; the window is as wide as a row and its scroll bar.
constexpr int kRowWidth = 760;

template<class W> W *named(QWidget *parent, const char *name)
{
    auto *w = new W(parent);
    w->setObjectName(QLatin1String(name));
    // Names, addresses and reasons come from web servers: never read as markup.
    if constexpr (std::is_base_of_v<QLabel, W>)
        w->setTextFormat(Qt::PlainText);
    return w;
}

QPushButton *button(QWidget *parent, const char *name, const char *caption)
{
    auto *b = named<QPushButton>(parent, name);
    b->setText(QLatin1String(caption));
    return b;
}

QHBoxLayout *line(QVBoxLayout *column, std::initializer_list<QWidget *> widgets)
{
    auto *l = new QHBoxLayout;
    l->setSpacing(6);
    for (QWidget *w : widgets)
        l->addWidget(w);
    column->addLayout(l);
    return l;
}

QString bytesText(qint64 bytes)
{
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

QString timeLeftText(qint64 seconds)
{
    if (seconds < 60)
        return QStringLiteral("%1 s left").arg(seconds);
    if (seconds < 3600)
        return QStringLiteral("%1 min %2 s left").arg(seconds / 60).arg(seconds % 60);
    return QStringLiteral("%1 h %2 min left").arg(seconds / 3600).arg(seconds % 3600 / 60);
}

QString stateText(const Entry &e)
{
    switch (e.state) {
    case State::Running:
        return QStringLiteral("Running");
    case State::Paused:
        return QStringLiteral("Paused");
    case State::Finished:
        return e.fileMissing ? QStringLiteral("File moved or deleted since")
                             : QStringLiteral("Finished");
    case State::Cancelled:
        return QStringLiteral("Cancelled");
    case State::Failed:
        return e.reason.isEmpty() ? QStringLiteral("Failed")
                                  : QStringLiteral("Failed: ") + e.reason;
    }
    return QString();
}

QString progressText(const Entry &e)
{
    if (e.state == State::Finished)
        return bytesText(e.size >= 0 ? e.size : e.received);
    QString text = bytesText(e.received) + QStringLiteral(" of ")
        + (e.size >= 0 ? bytesText(e.size) : QStringLiteral("unknown size"));
    if (e.state == State::Running && e.speed > 0) {
        text += QStringLiteral(", ") + bytesText(qint64(e.speed)) + QStringLiteral("/s");
        if (e.size > e.received)
            text += QStringLiteral(", ")
                + timeLeftText(qint64(std::min(double(e.size - e.received) / e.speed, 1e9)));
    }
    return text;
}

void setColour(QWidget *w, const QColor &colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, colour);
    w->setPalette(p);
}

// Every row is as high as a row widget and as wide as the view.
class RowSizeDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        return DownloadRow::standardSize();
    }
    // The row widget draws the row; the file name underneath would show through.
    void paint(QPainter *, const QStyleOptionViewItem &, const QModelIndex &) const override { }
    // Tab, Enter and Escape belong to the row's own fields and buttons, not to a list of
    // items being edited.
    bool eventFilter(QObject *, QEvent *) override { return false; }
};

} // namespace

ElidedLabel::ElidedLabel(Qt::TextElideMode mode, QWidget *parent) : QLabel(parent), m_mode(mode)
{
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

QSize ElidedLabel::minimumSizeHint() const
{
    return QSize(0, QLabel::minimumSizeHint().height());
}

void ElidedLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect room = contentsRect();
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(room, int(alignment()),
                     fontMetrics().elidedText(text(), m_mode, room.width()));
}

DownloadRow::DownloadRow(DownloadList *list, quint64 id, QWidget *parent)
    : QFrame(parent), m_list(list), m_id(id)
{
    setFrameShape(QFrame::StyledPanel);
    // A row is a panel of the window, not an item of the list it sits in: its labels take
    // the window's text colours, which the colours set below change.
    setBackgroundRole(QPalette::Window);
    setAutoFillBackground(true);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(10, 6, 10, 6);
    column->setSpacing(4);

    lblName = new ElidedLabel(Qt::ElideMiddle, this);
    lblName->setObjectName(QStringLiteral("lblName"));
    QFont bold = lblName->font();
    bold.setBold(true);
    lblName->setFont(bold);
    lblState = new ElidedLabel(Qt::ElideRight, this);
    lblState->setObjectName(QStringLiteral("lblState"));
    lblState->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QHBoxLayout *top = line(column, {lblName, lblState});
    top->setStretch(0, 2);
    top->setStretch(1, 1);
    lblSource = new ElidedLabel(Qt::ElideMiddle, this);
    lblSource->setObjectName(QStringLiteral("lblSource"));
    setColour(lblSource, palette().color(QPalette::PlaceholderText));
    lblEncryption = named<QLabel>(this, "lblEncryption");
    setColour(lblEncryption, Qt::red);
    QFont boldFont = lblEncryption->font();
    boldFont.setBold(true);
    lblEncryption->setFont(boldFont);
    // As wide in every row, marked or not: the rows stay alike.
    lblEncryption->setMinimumWidth(
        lblEncryption->fontMetrics().horizontalAdvance(QStringLiteral("Not encrypted")) + 4);
    lblEncryption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    line(column, {lblSource, lblEncryption})->setStretch(0, 1);

    prgDone = named<QProgressBar>(this, "prgDone");
    prgDone->setTextVisible(false);
    prgDone->setFixedSize(300, 16);
    lblBytes = named<QLabel>(this, "lblBytes");
    line(column, {prgDone, lblBytes})->setStretch(1, 1);

    auto *shaCaption = named<QLabel>(this, "lblShaCaption");
    shaCaption->setText(QStringLiteral("SHA-256:"));
    txtSha256 = named<QLineEdit>(this, "txtSha256");
    txtSha256->setReadOnly(true);
    txtSha256->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    cmdCopy = button(this, "cmdCopy", "Copy");
    line(column, {shaCaption, txtSha256, cmdCopy})->setStretch(1, 1);

    auto *sumCaption = named<QLabel>(this, "lblSumCaption");
    sumCaption->setText(QStringLiteral("Published sum:"));
    txtPublished = named<QLineEdit>(this, "txtPublished");
    txtPublished->setPlaceholderText(QStringLiteral("SHA-256, SHA-1 or MD5 from the site"));
    lblVerdict = new ElidedLabel(Qt::ElideRight, this);
    lblVerdict->setObjectName(QStringLiteral("lblVerdict"));
    lblVerdict->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    lblVerdict->setFixedWidth(330);
    line(column, {sumCaption, txtPublished, lblVerdict})->setStretch(1, 1);
    lblScan = new ElidedLabel(Qt::ElideRight, this);
    lblScan->setObjectName(QStringLiteral("lblScan"));
    column->addWidget(lblScan);

    cmdPause = button(this, "cmdPause", "Pause");
    cmdCancel = button(this, "cmdCancel", "Cancel");
    cmdOpen = button(this, "cmdOpen", "Open");
    cmdShowInFolder = button(this, "cmdShowInFolder", "Show in Folder");
    cmdRemove = button(this, "cmdRemove", "Remove from list");
    line(column, {cmdPause, cmdCancel, cmdOpen, cmdShowInFolder, cmdRemove})->addStretch(1);
    for (QPushButton *b : {cmdPause, cmdCancel, cmdOpen})
        b->setMinimumWidth(90);

    connect(cmdPause, &QPushButton::clicked, this, &DownloadRow::cmdPause_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &DownloadRow::cmdCancel_Click);
    connect(cmdOpen, &QPushButton::clicked, this, &DownloadRow::cmdOpen_Click);
    connect(cmdShowInFolder, &QPushButton::clicked, this, &DownloadRow::cmdShowInFolder_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &DownloadRow::cmdRemove_Click);
    connect(cmdCopy, &QPushButton::clicked, this, &DownloadRow::cmdCopy_Click);

    // Only what the user types is the user's sum; a sum found on the page is shown here too.
    connect(txtPublished, &QLineEdit::textEdited, this, &DownloadRow::txtPublished_Change);
    refresh();
}

QSize DownloadRow::standardSize()
{
    static const QSize size = [] {
        DownloadRow row(nullptr, 0, nullptr);
        return QSize(kRowWidth, row.sizeHint().height());
    }();
    return size;
}

QRect DownloadRow::place(const char *control)
{
    DownloadRow row(nullptr, 0, nullptr);
    row.resize(standardSize());
    row.layout()->activate();
    const QWidget *w = row.findChild<QWidget *>(QLatin1String(control));
    return w ? QRect(w->mapTo(&row, QPoint(0, 0)), w->size()) : QRect();
}

const Entry *DownloadRow::entry() const
{
    return m_list ? m_list->find(m_id) : nullptr;
}

void DownloadRow::refresh()
{
    const Entry *e = entry();
    if (!e)
        return;
    lblName->setText(e->fileName());
    lblName->setToolTip(e->path);
    lblSource->setText(e->url);
    lblSource->setToolTip(e->url);
    lblEncryption->setText(e->notEncrypted ? QStringLiteral("Not encrypted") : QString());
    lblEncryption->setToolTip(e->notEncrypted
                                  ? QStringLiteral("The file, or an address that sent the "
                                                   "download on to this one, came over plain "
                                                   "HTTP: anyone on the way could have changed "
                                                   "what arrived.")
                                  : QString());
    const QString state = stateText(*e);
    lblState->setText(state);
    lblState->setToolTip(state);
    setColour(lblState,
              e->state == State::Failed || e->fileMissing ? Qt::red
                                                          : palette().color(QPalette::WindowText));

    if (e->state == State::Finished) {
        prgDone->setRange(0, 1);
        prgDone->setValue(1);
    } else if (e->size > 0) {
        prgDone->setRange(0, 1000);
        // In floating point: bytes times a thousand leave a 64-bit count past 9 PB.
        prgDone->setValue(int(std::clamp(double(e->received) / double(e->size), 0.0, 1.0) * 1000));
    } else {
        // No size: the bar moves to show life while it runs.
        prgDone->setRange(0, e->state == State::Running ? 0 : 1);
        prgDone->setValue(0);
    }
    lblBytes->setText(progressText(*e));

    const bool finished = e->state == State::Finished;
    const bool hashing = e->hashing.contains(int(downloads::HashAlgorithm::Sha256));
    txtSha256->setText(!e->sha256.isEmpty() ? e->sha256
                           : !finished      ? QString()
                           : hashing        ? QStringLiteral("computing...")
                           : e->fileMissing ? QString()
                                            : QStringLiteral("the file could not be read"));
    txtSha256->setEnabled(finished);
    cmdCopy->setEnabled(!e->sha256.isEmpty());
    txtPublished->setEnabled(finished && !e->fileMissing);
    const QString shown = e->typed.isEmpty() ? e->published : e->typed;
    if (txtPublished->text() != shown && !txtPublished->hasFocus()) {
        txtPublished->setText(shown);
        txtPublished->setCursorPosition(0);
    }
    showScan(*e);

    cmdPause->setText(e->state == State::Paused ? QStringLiteral("Resume")
                                                : QStringLiteral("Pause"));
    cmdPause->setEnabled(e->unfinished() && e->live);
    cmdCancel->setEnabled(e->unfinished() && e->live);
    cmdOpen->setEnabled(finished && !e->fileMissing);
    cmdShowInFolder->setEnabled(finished && !e->fileMissing);
    cmdRemove->setEnabled(!e->unfinished());
    showVerdict();
}

void DownloadRow::showVerdict()
{
    const Entry *e = entry();
    const QString text = txtPublished->text();
    QColor colour = palette().color(QPalette::WindowText);
    QString verdict;
    std::optional<downloads::PublishedSum> sum;
    if (!e || !txtPublished->isEnabled()) {
        // Nothing to say.
    } else if (!e->readError.isEmpty()) {
        verdict = e->readError;
        colour = Qt::red;
    } else if (text.trimmed().isEmpty()) {
        // Nothing typed, nothing found.
    } else if (sum = downloads::ParsePublishedSum(text); !sum) {
        verdict = QStringLiteral("not a SHA-256, SHA-1 or MD5 sum");
    } else if (e->sum(sum->algorithm).isEmpty()) {
        verdict = QStringLiteral("checking...");
        m_list->requestSum(m_id, sum->algorithm);
    } else {
        const bool match = e->sum(sum->algorithm) == sum->hex;
        const QString host = QUrl(e->publishedFrom).host();
        if (e->publishedFrom.isEmpty() || !e->typed.isEmpty())
            verdict = match ? QStringLiteral("matches")
                            : QStringLiteral("does NOT match the published sum");
        else
            verdict = (match ? QStringLiteral("Matches the %1 published on %2")
                             : QStringLiteral("Does NOT match the %1 published on %2"))
                          .arg(downloads::AlgorithmName(sum->algorithm), host);
        colour = match ? QColor(0, 128, 0) : QColor(Qt::red);
    }
    lblVerdict->setText(verdict);
    lblVerdict->setToolTip(e && !e->publishedFrom.isEmpty() && e->typed.isEmpty()
                               ? verdict + QStringLiteral("\n") + e->publishedFrom
                               : sum ? downloads::AlgorithmName(sum->algorithm)
                                     : QString());
    setColour(lblVerdict, colour);
}

void DownloadRow::showScan(const Entry &e)
{
    QString text;
    QColor colour = palette().color(QPalette::WindowText);
    if (e.scanning) {
        text = QStringLiteral("Scanning\u2026");
    } else if (e.scan == QLatin1String("clean")) {
        text = QStringLiteral("No malware found (ClamAV %1, signatures of %2)")
                   .arg(e.scanVersion.isEmpty() ? QStringLiteral("daemon") : e.scanVersion,
                        e.scanSignatures.isEmpty() ? QStringLiteral("an unknown date")
                                                   : e.scanSignatures);
        colour = QColor(0, 128, 0);
    } else if (e.infected()) {
        text = QStringLiteral("Malware: ") + e.scan.section(QStringLiteral(": "), 1);
        colour = Qt::red;
    } else if (e.scan.startsWith(QLatin1String("not scanned: "))) {
        text = QStringLiteral("Not scanned: ") + e.scan.section(QStringLiteral(": "), 1);
    }
    lblScan->setText(text);
    lblScan->setToolTip(text);
    setColour(lblScan, colour);
}

bool DownloadRow::confirmInfected(const QString &what) const
{
    const Entry *e = entry();
    if (!e || !e->infected())
        return true;
    return compat::MsgBox(QStringLiteral("ClamAV found malware in this file (%1). %2 anyway?")
                              .arg(e->scan.section(QStringLiteral(": "), 1), what),
                          compat::vbYesNo | compat::vbExclamation)
        == compat::vbYes;
}

void DownloadRow::contextMenuEvent(QContextMenuEvent *event)
{
    const Entry *e = entry();
    QMenu menu(this);
    QAction *lookUp = menu.addAction(QStringLiteral("Look up on VirusTotal"));
    lookUp->setEnabled(e && !e->sha256.isEmpty());
    connect(lookUp, &QAction::triggered, this, &DownloadRow::mnuVirusTotal_Click);
    menu.exec(event->globalPos());
}

void DownloadRow::mnuVirusTotal_Click()
{
    // Only the file's sum leaves the machine, never the file.
    if (const Entry *e = entry(); e && !e->sha256.isEmpty())
        externalAddress::Open(QStringLiteral("https://www.virustotal.com/gui/file/") + e->sha256);
}

void DownloadRow::cmdPause_Click()
{
    const Entry *e = entry();
    if (!e || !e->live)
        return;
    if (e->state == State::Paused)
        e->live->resume();
    else
        e->live->pause();
}

void DownloadRow::cmdCancel_Click()
{
    if (const Entry *e = entry(); e && e->live)
        e->live->cancel();
}

void DownloadRow::cmdOpen_Click()
{
    if (const Entry *e = entry(); e && confirmInfected(QStringLiteral("Open it")))
        compat::OpenWithDesktop(e->path);
}

void DownloadRow::cmdShowInFolder_Click()
{
    if (const Entry *e = entry(); e && confirmInfected(QStringLiteral("Show it in its folder")))
        compat::OpenWithDesktop(QFileInfo(e->path).absolutePath());
}

void DownloadRow::cmdRemove_Click()
{
    // The view deletes this row with its list row; it must not be under this click then.
    QMetaObject::invokeMethod(
        m_list, [list = m_list, id = m_id] { list->remove(id); }, Qt::QueuedConnection);
}

void DownloadRow::cmdCopy_Click()
{
    if (const Entry *e = entry())
        QGuiApplication::clipboard()->setText(e->sha256);
}

void DownloadRow::txtPublished_Change()
{
    if (m_list)
        m_list->setPublished(m_id, txtPublished->text());
}

frmDownloads::frmDownloads()
{
    setupControls();
}

void frmDownloads::setupControls()
{
    setWindowTitle(QStringLiteral("Downloads"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    lstDownloads = new QListView(this);
    lstDownloads->setObjectName(QStringLiteral("lstDownloads"));
    lstDownloads->setFrameShape(QFrame::NoFrame);
    lstDownloads->setSelectionMode(QAbstractItemView::NoSelection);
    lstDownloads->setFocusPolicy(Qt::NoFocus);
    lstDownloads->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    lstDownloads->setUniformItemSizes(true);
    lstDownloads->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Always there, so the rows keep their places whether or not they overflow.
    lstDownloads->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    lstDownloads->setItemDelegate(new RowSizeDelegate(lstDownloads));
    layout->addWidget(lstDownloads, 1);
    // In the list's place while there is nothing to list.
    m_empty = new QLabel(QStringLiteral("No downloads yet."), this);
    m_empty->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_empty, 1);

    auto *bar = new QHBoxLayout;
    bar->setContentsMargins(10, 6, 10, 6);
    cmdClearFinished = button(this, "cmdClearFinished", "Clear finished");
    cmdClearFinished->setMinimumWidth(130);
    bar->addWidget(cmdClearFinished);
    lblProblem = named<QLabel>(this, "lblProblem");
    lblProblem->setWordWrap(true);
    setColour(lblProblem, Qt::red);
    bar->addWidget(lblProblem, 1);
    layout->addLayout(bar);
    connect(cmdClearFinished, &QPushButton::clicked, this, &frmDownloads::cmdClearFinished_Click);

    const QSize row = DownloadRow::standardSize();
    const int width = row.width() + lstDownloads->verticalScrollBar()->sizeHint().width();
    const int bottom = cmdClearFinished->sizeHint().height() + 12;
    setMinimumSize(width, row.height() + bottom);
    setMaximumWidth(width);
    resize(width, 4 * row.height() + bottom);
}

void frmDownloads::Form_Load()
{
    m_list = DownloadList::instance();
    connect(m_list, &DownloadList::problem, this,
            [](const QString &text) { compat::MsgBox(text, compat::vbExclamation); });
    lstDownloads->setModel(m_list);
    lblProblem->setText(m_list->saveProblem());
    connect(m_list, &DownloadList::saveProblemChanged, lblProblem, &QLabel::setText);
    connect(m_list, &DownloadList::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) { addRows(first, last); });
    connect(m_list, &DownloadList::modelReset, this,
            [this] { addRows(0, m_list->rowCount() - 1); });
    connect(m_list, &DownloadList::rowsRemoved, this, &frmDownloads::showEmpty);
    connect(m_list, &DownloadList::dataChanged, this,
            [this](const QModelIndex &from, const QModelIndex &to) {
                refreshRows(from.row(), to.row());
            });
    addRows(0, m_list->rowCount() - 1);
    // At the right of the screen, below the toolbar, so the page stays in sight.
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        move(avail.right() - width() - 10,
             avail.top() + std::max(0, std::min(150, avail.height() - height())));
    }
}

void frmDownloads::showForm()
{
    show();
    raise();
    activateWindow();
}

void frmDownloads::ShowWithoutFocus()
{
    frmDownloads *w = Forms::get<frmDownloads>();
    if (!w->isVisible()) {
        w->setAttribute(Qt::WA_ShowWithoutActivating, true);
        w->show();
        w->setAttribute(Qt::WA_ShowWithoutActivating, false);
    }
    w->raise();
}

void frmDownloads::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_list)
        m_list->recheckFiles();
}

void frmDownloads::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // Files may have been moved or changed while the user was in another window.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_list)
        m_list->recheckFiles();
}

void frmDownloads::addRows(int first, int last)
{
    for (int i = first; i <= last; ++i) {
        const QModelIndex index = m_list->index(i);
        auto *r = new DownloadRow(m_list, index.data(DownloadList::IdRole).toULongLong(),
                                  lstDownloads->viewport());
        lstDownloads->setIndexWidget(index, r);
    }
    showEmpty();
}

void frmDownloads::showEmpty()
{
    const bool empty = m_list->rowCount() == 0;
    m_empty->setVisible(empty);
    lstDownloads->setVisible(!empty);
}

void frmDownloads::refreshRows(int first, int last)
{
    for (int i = first; i <= last; ++i) {
        if (auto *r = qobject_cast<DownloadRow *>(lstDownloads->indexWidget(m_list->index(i))))
            r->refresh();
    }
}

DownloadRow *frmDownloads::row(int index) const
{
    return m_list ? qobject_cast<DownloadRow *>(lstDownloads->indexWidget(m_list->index(index)))
                  : nullptr;
}

int frmDownloads::rowCount() const
{
    return m_list ? m_list->rowCount() : 0;
}

void frmDownloads::cmdClearFinished_Click()
{
    m_list->clearFinished();
}
