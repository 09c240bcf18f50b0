#pragma once

#include "app/Hosts.h"
#include "find/JoinText.h"
#include "find/SearchRow.h"

// The freeware download sites of Find Freeware. A search always puts the window away.

// The list entry that names CNET's download site by its own brand.
inline constexpr char CnetBrandName[] = "Download.com";

inline constexpr auto JumboSearchPrefix
    = joinText("/", hosts::JumboSiteName, "?documentID=9204300&referer=", hosts::JumboSiteName,
               "&IC_QueryDatabase=", hosts::JumboSiteName, "&squery=");

// In the order the rows are tested.
inline constexpr SearchRow SiteSearchTable[] = {
    {"Freeware Arena", hosts::FreewareArena,
     "/PHPNuke/modules.php?name=Downloads&d_op=search&query=", "", true},
    {"PCAnswers", hosts::PCAnswers, "/downloads/default.asp?pagetypeid=3&searchstring=",
     "&filtersubsectionname=all&filtersectionname=downloads&filtersubsubsectionname=all", true},
    {"File Transit", hosts::FileTransit, "/search/search.php?q=", "", true},
    {"Jumbo", hosts::JumboSearch, JumboSearchPrefix.data(), "", true},
    {"Tucows", hosts::Tucows, "/search?search=",
     "&platform_id=7%2C1565%2C1584%2C1570%2C1571%2C1725&language_id=1&type=exactany"
     "&site_detail_id=653&ref=",
     true},
    {"WinFiles", hosts::CnetDownloads, "/3120-20-0.html?qt=", "&tg=dl-2001", true},
    {CnetBrandName, hosts::CnetDownloads, "/3120-20-0.html?qt=", "&tg=dl-2001", true},
    {"CNet", hosts::CnetDownloads, "/3120-20-0.html?qt=", "&tg=dl-2001", true},
    {"Freeware World Team", hosts::FreewareWorld, "/FreewareWorld/links.php?search=", "&la=en",
     true},
};
