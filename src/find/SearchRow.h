#pragma once

#include <QString>

#include <span>

// One search site or engine: the name as it must stand in the list box, the parts its
// results address is built from (host, prefix, the keyword, suffix), and whether the search
// window gets out of the way afterwards.
struct SearchRow
{
    const char *name;
    const char *host;
    const char *prefix;
    const char *suffix;
    bool minimizeAfter;
};

// The row named exactly `name` (case and blanks count), or null. The names of a table
// differ, so at most one matches.
const SearchRow *FindSearchRow(std::span<const SearchRow> table, const QString &name);

// The results address for a keyword, taken exactly as typed: nothing is trimmed or encoded,
// so an "&" in the keyword starts a further query parameter.
QString SearchAddress(const SearchRow &row, const QString &keyword);
