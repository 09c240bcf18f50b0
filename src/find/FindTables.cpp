#include "find/EngineTable.h"
#include "find/KeywordTable.h"
#include "find/SiteSearchTable.h"

namespace {

QString join(const char *host, const char *prefix, const QString &keyword, const char *suffix)
{
    return QString::fromUtf8(host) + QString::fromUtf8(prefix) + keyword
        + QString::fromUtf8(suffix);
}

} // namespace

QString SiteSearchAddress(const SiteSearchRow &row, const QString &keyword)
{
    return join(row.host, row.prefix, keyword, row.suffix);
}

QString EngineAddress(const EngineRow &row, const QString &keyword)
{
    return join(row.host, row.prefix, keyword, row.suffix);
}

QString KeywordAddress(const KeywordRow &row)
{
    return QString::fromUtf8(row.host) + QString::fromUtf8(row.path);
}
