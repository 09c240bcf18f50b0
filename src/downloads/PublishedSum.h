#pragma once

#include "downloads/FileHash.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
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

// The sum a page (or a checksum file it links) publishes for the file known by any of
// `names`: the one on the same line as the name (the strongest kind when a line has
// several); else, when the strongest kind of sum on the page appears once only, that one;
// else none. Two different sums of one kind beside the name give none.
std::optional<PublishedSum> FindPublishedSum(const QString &text, const QStringList &names);

// Of the addresses a page links, the checksum file most likely to hold the sum of the file
// known by any of `names`: "<name>.sha256", "SHA256SUMS", "<name>.sha1", "SHA1SUMS",
// "<name>.md5", "MD5SUMS", in this order. Empty when there is none.
QString FindSumFileLink(const QStringList &links, const QStringList &names);

// "SHA-256", "SHA-1" or "MD5".
QString AlgorithmName(downloads::HashAlgorithm algorithm);

} // namespace downloads
