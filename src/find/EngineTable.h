#pragma once

#include "app/Hosts.h"

#include <QString>

// One general web search engine: the name as it must stand in the engine box, the parts of
// its results address, and whether the search window gets out of the way afterwards.
struct EngineRow
{
    const char *name;
    const char *host;
    const char *prefix;
    const char *suffix;
    bool minimizeAfter;
};

// In the order the rows are tested.
inline constexpr EngineRow EngineTable[] = {
    {"AOL", hosts::AolSearch, "/dirsearch.adp?start=&from=topsearchbox.%2Findex.adp&query=", "",
     false},
    {"Ask Jeeves", hosts::AskJeeves, "/main/askjeeves.asp?ask=", "&o=0", true},
    {"Altavista", hosts::AltaVistaUK, "/q?pg=q&q=", "&kl=XX&what=web", true},
    {"Yahoo", hosts::YahooSearch, "/bin/search?p=", "", true},
    {"Google", hosts::Google, "/search?hl=en&ie=UTF-8&oe=UTF-8&q=", "", true},
    {"DogPile", hosts::Dogpile,
     "/_1_QX4N7PW2RT9LB__info.dogpl/dog/results?otmpl=dog/webresults.htm&qcat=web&qkw=",
     "&start=&ver=20314", true},
};

// The engine's results address for a keyword, taken exactly as typed.
QString EngineAddress(const EngineRow &row, const QString &keyword);
