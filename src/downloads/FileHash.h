#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>

namespace downloads {

enum class HashAlgorithm { Md5, Sha1, Sha256 };

// The file's digest as lower-case hex. The file is read in large pieces and never run or
// interpreted. Empty when the file cannot be read, or when `stop` turned true on the way
// (checked between pieces, so a long file can be given up at once).
QByteArray HashFile(const QString &path, HashAlgorithm algorithm,
                    const std::atomic_bool *stop = nullptr);

} // namespace downloads
