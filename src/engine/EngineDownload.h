#pragma once

#include "engine/Download.h"

#include <QPointer>

class QWebEngineDownloadRequest;
class QWebEnginePage;

namespace engine {

// A download of the browser engine, seen as the program's Download. It lives as long as
// the engine's request it wraps.
class EngineDownload : public Download
{
    Q_OBJECT
public:
    explicit EngineDownload(QWebEngineDownloadRequest *request);
    ~EngineDownload() override;

    QString url() const override;
    QString path() const override;
    qint64 receivedBytes() const override;
    qint64 totalBytes() const override;
    State state() const override;
    QString failReason() const override;
    void pause() override;
    void resume() override;
    void cancel() override;
    QString pageUrl() const override { return m_pageUrl; }
    bool notEncrypted() const override { return m_notEncrypted; }
    void readPage(std::function<void(const QString &, const QStringList &)> done) override;
    void fetchText(const QString &url, std::function<void(const QString &)> done) override;

    // Where the downloads that have not finished yet are being saved.
    static QStringList busyPaths();

    // The engine asks where a file from a page goes: the save dialog, opened in the download
    // folder with the engine's suggested name (numbered when that name is taken). A page
    // being saved already has its file and just runs.
    static void onDownloadRequested(QWebEngineDownloadRequest *request);

private:
    // Follows `request` from now on: the engine makes a new one for a download it resumes.
    void attach(QWebEngineDownloadRequest *request);

    QWebEngineDownloadRequest *m_request = nullptr;
    QPointer<QWebEnginePage> m_page;
    QString m_pageUrl;
    int m_attempts = 0;
    bool m_notEncrypted = false;
    bool m_cancelled = false;
};

} // namespace engine
