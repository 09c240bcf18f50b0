#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>

namespace downloads {

enum class HashAlgorithm { Md5, Sha1, Sha256 };

// A file's size and modification time, as they were when it was read.
struct FileStamp
{
    qint64 size = -1;
    qint64 modifiedMs = 0;
    bool operator==(const FileStamp &) const = default;
};

// Opens `path` for reading only when it is a regular file. The open itself does not block
// (a named pipe or a device at the path would hold the thread for ever); the descriptor is
// made blocking again after the check. -1 with `why` in plain words otherwise.
int OpenRegularFile(const QString &path, QString *why, FileStamp *stamp = nullptr);

// The file's stamp as it is now, without opening it; size -1 when it is not there.
FileStamp StampOf(const QString &path);

struct FileDigest
{
    QByteArray hex; // lower case; empty when it could not be made
    FileStamp stamp; // of the file that was read
    QString error; // why not, in plain words; empty when given up on `stop`
};

// The file's digest. The file is read in large pieces and never run or interpreted; only
// a regular file is read. Given up when `stop` turns true on the way (checked between
// pieces, so a long file can be left at once).
FileDigest DigestFile(const QString &path, HashAlgorithm algorithm,
                      const std::atomic_bool *stop = nullptr);

// The digest alone, empty when there is none.
inline QByteArray HashFile(const QString &path, HashAlgorithm algorithm,
                           const std::atomic_bool *stop = nullptr)
{
    return DigestFile(path, algorithm, stop).hex;
}

} // namespace downloads
