#include "find/KeywordTable.h"

QString KeywordAddress(const KeywordRow &row)
{
    return QString::fromUtf8(row.host) + QString::fromUtf8(row.path);
}
