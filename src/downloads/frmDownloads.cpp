#include "downloads/frmDownloads.h"

#include "app/Forms.h"
#include "compat/Shell.h"
#include "downloads/DownloadList.h"
#include "downloads/PublishedSum.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

using downloads::DownloadList;
using downloads::Entry;
using downloads::State;

namespace {

template<class W> W *placed(QWidget *parent, const char *name, const QRect &place)
{
    auto *w = new W(parent);
    w->setObjectName(QLatin1String(name));
    w->setGeometry(place);
    // Names, addresses and reasons come from web servers: never read as markup.
    if constexpr (std::is_same_v<W, QLabel>)
        w->setTextFormat(Qt::PlainText);
    return w;
}

QPushButton *button(QWidget *parent, const char *name, const char *caption, const QRect &place)
{
    auto *b = placed<QPushButton>(parent, name, place);
    b->setText(QLatin1String(caption));
    return b;
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
            text += QStringLiteral(", ") + timeLeftText(qint64((e.size - e.received) / e.speed));
    }
    return text;
}

void setColour(QWidget *w, const QColor &colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, colour);
    w->setPalette(p);
}

} // namespace

DownloadRow::DownloadRow(DownloadList *list, quint64 id, QWidget *parent)
    : QFrame(parent), m_list(list), m_id(id)
{
    setFixedSize(kWidth, kHeight);
    setFrameShape(QFrame::StyledPanel);
    lblName = placed<QLabel>(this, "lblName", kName);
    QFont bold = lblName->font();
    bold.setBold(true);
    lblName->setFont(bold);
    lblState = placed<QLabel>(this, "lblState", kState);
    lblState->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblSource = placed<QLabel>(this, "lblSource", kSource);
    setColour(lblSource, palette().color(QPalette::PlaceholderText));
    prgDone = placed<QProgressBar>(this, "prgDone", kProgress);
    prgDone->setTextVisible(false);
    lblBytes = placed<QLabel>(this, "lblBytes", kBytes);

    placed<QLabel>(this, "lblShaCaption", kShaCaption)->setText(QStringLiteral("SHA-256:"));
    txtSha256 = placed<QLineEdit>(this, "txtSha256", kSha256);
    txtSha256->setReadOnly(true);
    txtSha256->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    cmdCopy = button(this, "cmdCopy", "Copy", kCopy);
    placed<QLabel>(this, "lblSumCaption", kSumCaption)->setText(QStringLiteral("Published sum:"));
    txtPublished = placed<QLineEdit>(this, "txtPublished", kPublished);
    txtPublished->setPlaceholderText(QStringLiteral("SHA-256, SHA-1 or MD5 from the site"));
    lblVerdict = placed<QLabel>(this, "lblVerdict", kVerdict);

    cmdPause = button(this, "cmdPause", "Pause", kPause);
    cmdCancel = button(this, "cmdCancel", "Cancel", kCancel);
    cmdOpen = button(this, "cmdOpen", "Open", kOpen);
    cmdShowInFolder = button(this, "cmdShowInFolder", "Show in Folder", kShowInFolder);
    cmdRemove = button(this, "cmdRemove", "Remove from list", kRemove);

    connect(cmdPause, &QPushButton::clicked, this, &DownloadRow::cmdPause_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &DownloadRow::cmdCancel_Click);
    connect(cmdOpen, &QPushButton::clicked, this, &DownloadRow::cmdOpen_Click);
    connect(cmdShowInFolder, &QPushButton::clicked, this, &DownloadRow::cmdShowInFolder_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &DownloadRow::cmdRemove_Click);
    connect(cmdCopy, &QPushButton::clicked, this, &DownloadRow::cmdCopy_Click);
    connect(txtPublished, &QLineEdit::textChanged, this, &DownloadRow::txtPublished_Change);

    if (const Entry *e = entry())
        txtPublished->setText(e->published);
    refresh();
}

Entry *DownloadRow::entry() const
{
    return m_list->find(m_id);
}

void DownloadRow::refresh()
{
    const Entry *e = entry();
    if (!e)
        return;
    lblName->setText(e->fileName());
    lblName->setToolTip(e->path);
    lblSource->setText(
        lblSource->fontMetrics().elidedText(e->url, Qt::ElideMiddle, kSource.width()));
    lblSource->setToolTip(e->url);
    const QString state = stateText(*e);
    lblState->setText(lblState->fontMetrics().elidedText(state, Qt::ElideRight, kState.width()));
    lblState->setToolTip(state);
    setColour(lblState,
              e->state == State::Failed || e->fileMissing ? Qt::red
                                                          : palette().color(QPalette::WindowText));

    if (e->state == State::Finished) {
        prgDone->setRange(0, 1);
        prgDone->setValue(1);
    } else if (e->size > 0) {
        prgDone->setRange(0, 1000);
        prgDone->setValue(int(e->received * 1000 / e->size));
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
    if (!e || text.trimmed().isEmpty() || !txtPublished->isEnabled()) {
        lblVerdict->clear();
        return;
    }
    const std::optional<downloads::PublishedSum> sum = downloads::ParsePublishedSum(text);
    QColor colour = palette().color(QPalette::WindowText);
    if (!sum) {
        lblVerdict->setText(QStringLiteral("not a SHA-256, SHA-1 or MD5 sum"));
    } else if (e->sum(sum->algorithm).isEmpty()) {
        lblVerdict->setText(QStringLiteral("checking..."));
        m_list->requestSum(m_id, sum->algorithm);
    } else if (e->sum(sum->algorithm) == sum->hex) {
        lblVerdict->setText(QStringLiteral("matches"));
        colour = QColor(0, 128, 0);
    } else {
        lblVerdict->setText(QStringLiteral("does NOT match the published sum"));
        colour = Qt::red;
    }
    lblVerdict->setToolTip(sum ? downloads::AlgorithmName(sum->algorithm) : QString());
    setColour(lblVerdict, colour);
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
    if (const Entry *e = entry())
        compat::OpenWithDesktop(e->path);
}

void DownloadRow::cmdShowInFolder_Click()
{
    if (const Entry *e = entry())
        compat::OpenWithDesktop(QFileInfo(e->path).absolutePath());
}

void DownloadRow::cmdRemove_Click()
{
    // Rows are rebuilt from the list at once; this row must not be touched afterwards.
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
    if (Entry *e = entry())
        e->published = txtPublished->text();
    showVerdict();
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
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("scrRows"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Always there, so the rows keep their places whether or not they overflow.
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_column = new QWidget;
    m_rows = new QVBoxLayout(m_column);
    m_rows->setContentsMargins(0, 0, 0, 0);
    m_rows->setSpacing(0);
    m_empty = new QLabel(QStringLiteral("No downloads yet."), m_column);
    m_empty->setAlignment(Qt::AlignCenter);
    m_rows->addWidget(m_empty);
    m_rows->addStretch(1);
    m_scroll->setWidget(m_column);
    layout->addWidget(m_scroll, 1);

    auto *bar = new QWidget(this);
    bar->setFixedHeight(kBottomBarHeight);
    cmdClearFinished = button(bar, "cmdClearFinished", "Clear finished", kClearFinished);
    layout->addWidget(bar);
    connect(cmdClearFinished, &QPushButton::clicked, this, &frmDownloads::cmdClearFinished_Click);

    const int width = DownloadRow::kWidth + m_scroll->verticalScrollBar()->sizeHint().width();
    setMinimumSize(width, DownloadRow::kHeight + kBottomBarHeight);
    setMaximumWidth(width);
    resize(width, 4 * DownloadRow::kHeight + kBottomBarHeight);
}

void frmDownloads::Form_Load()
{
    m_list = DownloadList::instance();
    connect(m_list, &DownloadList::rowsChanged, this, &frmDownloads::buildRows);
    connect(m_list, &DownloadList::entryChanged, this, [this](quint64 id) {
        if (DownloadRow *r = m_byId.value(id))
            r->refresh();
    });
    buildRows();
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

void frmDownloads::buildRows()
{
    qDeleteAll(m_byId);
    m_byId.clear();
    int i = 0;
    for (const Entry *e : m_list->entries()) {
        auto *r = new DownloadRow(m_list, e->id, m_column);
        r->setObjectName(QStringLiteral("row%1").arg(i));
        m_rows->insertWidget(i++, r);
        m_byId.insert(e->id, r);
    }
    m_empty->setVisible(m_byId.isEmpty());
}

DownloadRow *frmDownloads::row(int index) const
{
    return m_column->findChild<DownloadRow *>(QStringLiteral("row%1").arg(index));
}

int frmDownloads::rowCount() const
{
    return int(m_byId.size());
}

void frmDownloads::cmdClearFinished_Click()
{
    m_list->clearFinished();
}
