#pragma once

#include "downloads/FileHash.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace downloads {

// A checksum as a download site publishes it next to the file.
struct PublishedSum
{
    downloads::HashAlgorithm algorithm;
    QByteArray hex; // lower case, no blanks
};

// Tells SHA-256, SHA-1 and MD5 apart by their length (64, 40 and 32 hex digits), ignoring
// case and blanks. A line copied from a checksum list ("<sum>  setup.exe") gives its sum.
// Nothing when the text is none of these.
std::optional<PublishedSum> ParsePublishedSum(const QString &text);

// "SHA-256", "SHA-1" or "MD5".
QString AlgorithmName(downloads::HashAlgorithm algorithm);

} // namespace downloads
