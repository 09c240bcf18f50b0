#pragma once

#include <QString>

// What a typed text does, decided without any window: the address box and the go-to-keyword
// window act on the answer.
namespace basKeywords {

enum class KeywordOutcome {
    KeywordList, // show the keyword list
    EasterEgg, // show the hidden message
    Site, // go to a site keyword's site: the address
    Address, // go to the text itself, exactly as typed
    Invalid, // refuse the text
};

struct KeywordDecision
{
    KeywordOutcome outcome;
    QString address; // for Site and Address
};

// Enter in the address box: the keyword list, the hidden message, a site keyword's site,
// or else the text as an address.
KeywordDecision DecideAddressText(const QString &text);

// GO! in the go-to-keyword window: the keyword list or a site keyword's site; anything else
// (the hidden trigger too) is refused.
KeywordDecision DecideGoToKeyword(const QString &text);

} // namespace basKeywords
