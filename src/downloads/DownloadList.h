#pragma once

#include "downloads/FileHash.h"
#include "downloads/PublishedSum.h"
#include "engine/Download.h"

#include <QAbstractListModel>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QThreadPool>
#include <atomic>
#include <memory>
#include <optional>
#include <vector>

namespace downloads {

using State = engine::Download::State;

// One row of the list: a download of this run or one kept from an earlier run.
struct Entry
{
    quint64 id = 0;
    // Kept in downloads.json:
    QString url;
    QString path;
    qint64 size = -1; // -1 while unknown
    QDateTime finished;
    QString sha256;
    State state = State::Running;
    QString reason; // why it failed
    qint64 received = 0; // kept while the file is not finished
    FileStamp sumStamp; // the file as it was when its sums were made
    QString published; // the sum found on the page or typed, lower-case hex
    QString publishedFrom; // where it was found; empty when the user typed it
    QString scan; // "clean", "infected: <signature>" or "not scanned: <reason>"
    QString scanSignatures; // the date of the scanner's signatures
    QString scanVersion; // the scanner's version
    bool notEncrypted = false; // its address, or a redirect to it, was plain HTTP

    // This run only:
    QPointer<engine::Download> live;
    double speed = 0; // bytes a second over the last few seconds
    QList<QPair<qint64, qint64>> samples; // (milliseconds, bytes) behind the speed
    bool fileMissing = false;
    QString typed; // what the user typed as the published sum, as typed
    QHash<int, QByteArray> sums; // by HashAlgorithm // other digests, made on request
    QSet<int> hashing;
    bool scanning = false;
    bool endedByRestart = false; // failed at reading: it ran when the program ended
    QString readError; // "Cannot read the file: ...", said once for the file as it is
    FileStamp readErrorStamp;

    bool unfinished() const { return state == State::Running || state == State::Paused; }
    QString fileName() const;
    // The file's digest in `algorithm` when it is known.
    QByteArray sum(downloads::HashAlgorithm algorithm) const;
    bool infected() const { return scan.startsWith(QLatin1String("infected")); }
    // "matches", "mismatch", or empty while there is nothing to compare.
    QString verdict() const;
};

// Every download of this run and the earlier ones, newest first, kept in
// $XDG_DATA_HOME/ScoutwellV3/downloads.json and written again at each change of a row.
// Made at the first download or the first look at the Downloads window, never at start-up.
// One row a download: rows come and go one at a time, and a change of a download is a
// change of its row's data. What goes wrong with the list's file is said by `problem`, for
// the window to show.
class DownloadList : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role { IdRole = Qt::UserRole + 1, StateRole };

    // The list, read from its file when this is the first use.
    static DownloadList *instance();
    // The list when it has been made, else null.
    static DownloadList *existing();
    ~DownloadList() override;

    static QString filePath();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    const Entry *entryAt(int row) const;
    Entry *find(quint64 id) const;
    // The row of the download `id`, or -1.
    int rowOf(quint64 id) const;

    void add(engine::Download *download);
    // Takes a finished, cancelled or failed row off the list; its file stays where it is.
    void remove(quint64 id);
    void clearFinished();
    int unfinishedCount() const;
    void cancelAll();
    // Notes rows whose file has been moved or deleted since.
    void recheckFiles();
    // Starts computing the file's digest in `algorithm` in the background when it is not
    // known yet; the row's data changes when it is there.
    void requestSum(quint64 id, downloads::HashAlgorithm algorithm);
    // The sum the user typed for the download; it takes the place of one found.
    void setPublished(quint64 id, const QString &text);
    // Why the list could not be saved the last time, or empty.
    QString saveProblem() const { return m_saveProblem; }

    using Rows = std::vector<std::unique_ptr<Entry>>;
    // The rows the bytes of a downloads.json hold, every number in its range, or nothing
    // with `why` said in plain words. Rows of downloads that had not finished are failed.
    static std::optional<Rows> parse(const QByteArray &bytes, QString *why);
    // The bytes of a downloads.json holding `rows`.
    static QByteArray serialize(const Rows &rows);

Q_SIGNALS:
    void downloadFinished(quint64 id);
    // Something the user must be told about the list itself, in plain words.
    void problem(const QString &text);
    // The list could not be saved (the text says why), or it could again (empty text).
    void saveProblemChanged(const QString &text);

private:
    DownloadList();
    void load();
    void save();
    void scan(quint64 id);
    void readPage(quint64 id);
    void takePublished(quint64 id, const QString &text, const QString &from);
    void setAside(const QString &why);
    void follow(Entry *e);
    void onDownloadChanged(quint64 id);
    void rowChanged(quint64 id);

    Rows m_entries;
    quint64 m_nextId = 1;
    // Tells the background hashing to give up when the program ends.
    std::shared_ptr<std::atomic_bool> m_stop;
    // The list's own threads: the application's shared pool may already be gone when the
    // list is deleted at the program's end.
    QThreadPool m_hashing;
    QString m_saveProblem;
    // The damaged file could not be set aside: it is not written over.
    bool m_keepOff = false;
};

} // namespace downloads
