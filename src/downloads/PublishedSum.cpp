#include "downloads/PublishedSum.h"

#include <QRegularExpression>
#include <QSet>
#include <QUrl>

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

namespace {

// A file name stands on its own: no name character right before or after it.
bool namesOnLine(const QString &line, const QStringList &names)
{
    const auto nameChar = [](QChar c) {
        return c.isLetterOrNumber() || c == QLatin1Char('.') || c == QLatin1Char('-')
            || c == QLatin1Char('_');
    };
    for (const QString &name : names) {
        if (name.isEmpty())
            continue;
        for (qsizetype at = line.indexOf(name, 0, Qt::CaseInsensitive); at >= 0;
             at = line.indexOf(name, at + 1, Qt::CaseInsensitive)) {
            const qsizetype end = at + name.size();
            if ((at == 0 || !nameChar(line[at - 1]))
                && (end == line.size() || !nameChar(line[end])
                    || (line[end] == QLatin1Char('.')
                        && (end + 1 == line.size() || !nameChar(line[end + 1])))))
                return true;
        }
    }
    return false;
}

// Of `sums`, the strongest kind's when that kind has exactly one distinct value.
std::optional<PublishedSum> strongestAlone(const QList<PublishedSum> &sums)
{
    for (HashAlgorithm kind : {HashAlgorithm::Sha256, HashAlgorithm::Sha1, HashAlgorithm::Md5}) {
        QSet<QByteArray> values;
        for (const PublishedSum &s : sums) {
            if (s.algorithm == kind)
                values.insert(s.hex);
        }
        if (values.size() == 1)
            return PublishedSum {kind, *values.begin()};
        if (values.size() > 1)
            return std::nullopt;
    }
    return std::nullopt;
}

} // namespace

std::optional<PublishedSum> FindPublishedSum(const QString &text, const QStringList &names)
{
    static const QRegularExpression token(QStringLiteral(
        "(?<![0-9A-Za-z])([0-9A-Fa-f]{64}|[0-9A-Fa-f]{40}|[0-9A-Fa-f]{32})(?![0-9A-Za-z])"));
    QList<PublishedSum> all, beside;
    for (const QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        const QString l = line.toString();
        QList<PublishedSum> found;
        for (auto it = token.globalMatch(l); it.hasNext();) {
            if (auto sum = fromHex(it.next().captured(1).toLower()))
                found.append(*sum);
        }
        all += found;
        if (!found.isEmpty() && namesOnLine(l, names))
            beside += found;
    }
    return beside.isEmpty() ? strongestAlone(all) : strongestAlone(beside);
}

QString FindSumFileLink(const QStringList &links, const QStringList &names)
{
    QStringList wanted;
    for (const auto &[suffix, list] :
         {std::pair {".sha256", "SHA256SUMS"}, {".sha1", "SHA1SUMS"}, {".md5", "MD5SUMS"}}) {
        for (const QString &name : names) {
            if (!name.isEmpty())
                wanted.append(name + QLatin1String(suffix));
        }
        wanted.append(QLatin1String(list));
    }
    for (const QString &file : std::as_const(wanted)) {
        for (const QString &link : links) {
            const QUrl url(link);
            if (url.fileName(QUrl::FullyDecoded).compare(file, Qt::CaseInsensitive) == 0)
                return link;
        }
    }
    return QString();
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
