#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

namespace engine {

// One file the browser engine is fetching for the user, after the user chose where to save
// it. The engine's own download and the tests' fake both look like this to the program.
class Download : public QObject
{
    Q_OBJECT
public:
    enum State { Running, Paused, Finished, Cancelled, Failed };

    using QObject::QObject;

    virtual QString url() const = 0;
    // True when the file's address, or an address that redirected to it, was plain HTTP:
    // anyone on the way could have changed what arrived.
    virtual bool notEncrypted() const
    {
        return url().startsWith(QLatin1String("http:"), Qt::CaseInsensitive);
    }
    // The file's full path once it is finished.
    virtual QString path() const = 0;
    virtual qint64 receivedBytes() const = 0;
    // -1 while the server has not said how large the file is.
    virtual qint64 totalBytes() const = 0;
    virtual State state() const = 0;
    // Why the engine gave up, in its own words; empty unless Failed.
    virtual QString failReason() const = 0;
    // The address of the page the download was started from; empty when none.
    virtual QString pageUrl() const { return QString(); }
    // The text of that page, and the addresses it links, as they were at the start; handed
    // to `done` later (never, when the page is gone).
    virtual void readPage(std::function<void(const QString &text, const QStringList &links)> done)
    {
        Q_UNUSED(done);
    }
    // The text at `url` (at most 1 MB), fetched as the page would fetch it; null when it
    // could not be had.
    virtual void fetchText(const QString &url, std::function<void(const QString &text)> done)
    {
        Q_UNUSED(url);
        Q_UNUSED(done);
    }

    virtual void pause() = 0;
    virtual void resume() = 0;
    virtual void cancel() = 0;

Q_SIGNALS:
    // Bytes arrived, the size became known, or the state moved on.
    void changed();
};

// The folder a download is offered to be saved in: the user's download folder, made when
// it is missing, or the home folder when even that cannot be made.
QString DownloadFolder();

// A name a server or a page suggests, made safe to offer in the save dialog: its last part
// only (no folder, whatever separator it uses), without control or direction characters,
// leading dots or blanks, and at most 255 bytes with its extension kept. "download" when
// nothing is left.
QString SafeFileName(const QString &suggested);

// `name` itself when nothing in `folder` has it yet, otherwise the first free one of
// "name (1).ext", "name (2).ext", ... A name in `busy` counts as taken: a download still
// running may not have created its file yet.
QString FreeFileName(const QString &folder, const QString &name,
                     const QStringList &busy = QStringList());

// The code that keeps track of downloads installs a listener; every download that starts
// is handed to it (and lives as long as the listener keeps it).
using DownloadListener = std::function<void(Download *)>;
void SetDownloadListener(DownloadListener listener);
void AnnounceDownload(Download *download);

} // namespace engine
