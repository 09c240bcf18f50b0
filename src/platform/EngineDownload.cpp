#include "platform/EngineDownload.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QPointer>
#include <QWebEngineDownloadRequest>

namespace platform {

namespace {

QList<EngineDownload *> &live()
{
    static QList<EngineDownload *> list;
    return list;
}

} // namespace

EngineDownload::EngineDownload(QWebEngineDownloadRequest *request)
    : Download(request), m_request(request)
{
    live().append(this);
    for (auto signal : {&QWebEngineDownloadRequest::receivedBytesChanged,
                        &QWebEngineDownloadRequest::totalBytesChanged,
                        &QWebEngineDownloadRequest::isPausedChanged,
                        &QWebEngineDownloadRequest::interruptReasonChanged})
        connect(request, signal, this, &Download::changed);
    connect(request, &QWebEngineDownloadRequest::stateChanged, this, &Download::changed);
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
    return state() == Failed ? m_request->interruptReasonString() : QString();
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

} // namespace platform
