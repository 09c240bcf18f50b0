#pragma once

#include "app/Hosts.h"
#include "find/SearchRow.h"

// The general web search engines of Find on the web.

// In the order the rows are tested.
inline constexpr SearchRow EngineTable[] = {
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
