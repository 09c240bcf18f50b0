#pragma once

#include "app/Hosts.h"
#include "find/JoinText.h"

#include <QString>

// One freeware download site: the name as it must stand in the site box, and the parts
// its search address is built from (host, prefix, the keyword, suffix).
struct SiteSearchRow
{
    const char *name;
    const char *host;
    const char *prefix;
    const char *suffix;
};

// The list entry that names CNET's download site by its own brand.
inline constexpr char CnetBrandName[] = "Download.com";

inline constexpr auto JumboSearchPrefix
    = joinText("/", hosts::JumboSiteName, "?documentID=9204300&referer=", hosts::JumboSiteName,
               "&IC_QueryDatabase=", hosts::JumboSiteName, "&squery=");

// In the order the rows are tested.
inline constexpr SiteSearchRow SiteSearchTable[] = {
    {"Freeware Arena", hosts::FreewareArena,
     "/PHPNuke/modules.php?name=Downloads&d_op=search&query=", ""},
    {"PCAnswers", hosts::PCAnswers, "/downloads/default.asp?pagetypeid=3&searchstring=",
     "&filtersubsectionname=all&filtersectionname=downloads&filtersubsubsectionname=all"},
    {"File Transit", hosts::FileTransit, "/search/search.php?q=", ""},
    {"Jumbo", hosts::JumboSearch, JumboSearchPrefix.data(), ""},
    {"Tucows", hosts::Tucows, "/search?search=",
     "&platform_id=7%2C1565%2C1584%2C1570%2C1571%2C1725&language_id=1&type=exactany"
     "&site_detail_id=653&ref="},
    {"WinFiles", hosts::CnetDownloads, "/3120-20-0.html?qt=", "&tg=dl-2001"},
    {CnetBrandName, hosts::CnetDownloads, "/3120-20-0.html?qt=", "&tg=dl-2001"},
    {"CNet", hosts::CnetDownloads, "/3120-20-0.html?qt=", "&tg=dl-2001"},
    {"Freeware World Team", hosts::FreewareWorld, "/FreewareWorld/links.php?search=", "&la=en"},
};

// The site's search address for a keyword, taken exactly as typed: nothing is trimmed or
// encoded, so an "&" in the keyword starts a further query parameter.
QString SiteSearchAddress(const SiteSearchRow &row, const QString &keyword);
