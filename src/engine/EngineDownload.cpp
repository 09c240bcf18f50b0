#include "engine/EngineDownload.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QPointer>
#include <QWebEngineDownloadRequest>

namespace engine {

namespace {

QList<EngineDownload *> &live()
{
    static QList<EngineDownload *> list;
    return list;
}

} // namespace

EngineDownload::EngineDownload(QWebEngineDownloadRequest *request)
{
    live().append(this);
    attach(request);
}

void EngineDownload::attach(QWebEngineDownloadRequest *request)
{
    if (m_request)
        disconnect(m_request, nullptr, this, nullptr);
    m_request = request;
    ++m_attempts;
    setParent(request);
    for (auto signal : {&QWebEngineDownloadRequest::receivedBytesChanged,
                        &QWebEngineDownloadRequest::totalBytesChanged,
                        &QWebEngineDownloadRequest::isPausedChanged,
                        &QWebEngineDownloadRequest::interruptReasonChanged})
        connect(request, signal, this, &Download::changed);
    connect(request, &QWebEngineDownloadRequest::stateChanged, this, &Download::changed);
    Q_EMIT changed();
}

EngineDownload::~EngineDownload()
{
    live().removeOne(this);
}

QString EngineDownload::url() const
{
    return m_request->url().toString();
}

QString EngineDownload::path() const
{
    return QDir(m_request->downloadDirectory()).filePath(m_request->downloadFileName());
}

qint64 EngineDownload::receivedBytes() const
{
    return m_request->receivedBytes();
}

qint64 EngineDownload::totalBytes() const
{
    const qint64 total = m_request->totalBytes();
    return total > 0 ? total : -1;
}

Download::State EngineDownload::state() const
{
    switch (m_request->state()) {
    case QWebEngineDownloadRequest::DownloadCompleted:
        return Finished;
    case QWebEngineDownloadRequest::DownloadCancelled:
        return Cancelled;
    case QWebEngineDownloadRequest::DownloadInterrupted:
        return Failed;
    default:
        return m_request->isPaused() ? Paused : Running;
    }
}

QString EngineDownload::failReason() const
{
    if (state() != Failed)
        return QString();
    // The engine has reasons of its own that its texts do not cover; for those it gives the
    // text of a user's cancel, which would blame the user.
    constexpr int kContentLengthMismatch = 38;
    if (int(m_request->interruptReason()) == kContentLengthMismatch)
        return QStringLiteral("The server ended the file before its announced size (%1 tries)")
            .arg(m_attempts);
    if (m_request->interruptReason() == QWebEngineDownloadRequest::UserCanceled && !m_cancelled)
        return QStringLiteral("The browser engine gave up the download");
    return m_request->interruptReasonString();
}

void EngineDownload::pause()
{
    m_request->pause();
}

void EngineDownload::resume()
{
    m_request->resume();
}

void EngineDownload::cancel()
{
    m_cancelled = true;
    m_request->cancel();
}

QStringList EngineDownload::busyPaths()
{
    QStringList paths;
    for (EngineDownload *d : live()) {
        if (d->state() == Running || d->state() == Paused)
            paths.append(d->path());
    }
    return paths;
}

void EngineDownload::onDownloadRequested(QWebEngineDownloadRequest *request)
{
    if (request->isSavePageDownload()) {
        request->accept();
        return;
    }
    // A connection that broke off is picked up again by the engine as a new request for the
    // same download: it goes on into the same file, without asking again.
    for (EngineDownload *d : live()) {
        if (d->m_request->id() == request->id()
            && (d->state() == Running || d->state() == Paused)) {
            request->setDownloadDirectory(d->m_request->downloadDirectory());
            request->setDownloadFileName(d->m_request->downloadFileName());
            request->accept();
            d->attach(request);
            return;
        }
    }
    const QString folder = DownloadFolder();
    QString name = request->suggestedFileName();
    if (name.isEmpty())
        name = QStringLiteral("download");
    const QString offered = QDir(folder).filePath(FreeFileName(folder, name, busyPaths()));
    // The engine's request may go away while the dialog is open (the page closed).
    const QPointer<QWebEngineDownloadRequest> guard(request);
    const QString path = QFileDialog::getSaveFileName(QApplication::activeWindow(),
                                                      QStringLiteral("Save File"), offered);
    if (!guard)
        return;
    if (path.isEmpty()) {
        request->cancel();
        return;
    }
    const QFileInfo info(path);
    request->setDownloadDirectory(info.absolutePath());
    request->setDownloadFileName(info.fileName());
    request->accept();
    AnnounceDownload(new EngineDownload(request));
}

} // namespace engine
