#include "downloads/PublishedSum.h"

#include <QRegularExpression>

namespace downloads {

namespace {

std::optional<PublishedSum> fromHex(const QString &digits)
{
    static const QRegularExpression hex(QStringLiteral("^[0-9a-f]+$"));
    if (!hex.match(digits).hasMatch())
        return std::nullopt;
    using downloads::HashAlgorithm;
    switch (digits.size()) {
    case 64:
        return PublishedSum {HashAlgorithm::Sha256, digits.toLatin1()};
    case 40:
        return PublishedSum {HashAlgorithm::Sha1, digits.toLatin1()};
    case 32:
        return PublishedSum {HashAlgorithm::Md5, digits.toLatin1()};
    default:
        return std::nullopt;
    }
}

} // namespace

std::optional<PublishedSum> ParsePublishedSum(const QString &text)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QString lower = text.toLower();
    if (auto sum = fromHex(QString(lower).remove(blanks)))
        return sum;
    return fromHex(lower.trimmed().section(blanks, 0, 0));
}

QString AlgorithmName(downloads::HashAlgorithm algorithm)
{
    switch (algorithm) {
    case downloads::HashAlgorithm::Md5:
        return QStringLiteral("MD5");
    case downloads::HashAlgorithm::Sha1:
        return QStringLiteral("SHA-1");
    default:
        return QStringLiteral("SHA-256");
    }
}

} // namespace downloads
