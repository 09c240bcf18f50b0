#include "find/KeywordDecision.h"

#include "find/KeywordTable.h"

namespace basKeywords {

namespace {

// The first row whose keyword is the whole text, case and blanks included.
const KeywordRow *findKeyword(const QString &text)
{
    for (const KeywordRow &row : KeywordTable) {
        if (text == KeywordText(row))
            return &row;
    }
    return nullptr;
}

} // namespace

KeywordDecision DecideAddressText(const QString &text)
{
    const KeywordRow *row = findKeyword(text);
    if (!row)
        return {KeywordOutcome::Address, text};
    switch (row->target) {
    case KeywordTarget::KeywordList:
        return {KeywordOutcome::KeywordList, {}};
    case KeywordTarget::EasterEgg:
        return {KeywordOutcome::EasterEgg, {}};
    case KeywordTarget::Site:
        break;
    }
    return {KeywordOutcome::Site, KeywordAddress(*row)};
}

KeywordDecision DecideGoToKeyword(const QString &text)
{
    const KeywordDecision d = DecideAddressText(text);
    if (d.outcome == KeywordOutcome::KeywordList || d.outcome == KeywordOutcome::Site)
        return d;
    return {KeywordOutcome::Invalid, {}};
}

} // namespace basKeywords
