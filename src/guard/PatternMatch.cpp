#include "guard/PatternMatch.h"

#include "guard/UrlParts.h"

namespace guard::detail {

namespace {

// Greedy wildcard matching with one backtrack point, the last *: linear for the patterns
// filter lists hold, never recursive.
bool wildcard(std::string_view p, std::string_view s, bool leadingStar, bool endAnchor)
{
    constexpr std::size_t None = std::string_view::npos;
    std::size_t pi = 0;
    std::size_t si = 0;
    std::size_t starP = leadingStar ? 0 : None;
    std::size_t starS = 0;
    // Where the literal run after a * occurs next; false when it never does.
    auto skipAhead = [&] {
        std::size_t run = 0;
        while (pi + run < p.size() && p[pi + run] != '^' && p[pi + run] != '*')
            ++run;
        if (run) {
            std::size_t next = s.find(p.substr(pi, run), si);
            if (next == std::string_view::npos)
                return false;
            si = starS = next;
        }
        return true;
    };
    if (leadingStar && !skipAhead())
        return false;
    while (true) {
        if (pi < p.size()) {
            char c = p[pi];
            if (c == '*') {
                starP = ++pi;
                starS = si;
                if (!skipAhead())
                    return false;
                continue;
            }
            if (si < s.size()) {
                if (c == '^' ? isSeparator(static_cast<unsigned char>(s[si])) : c == s[si]) {
                    ++pi;
                    ++si;
                    continue;
                }
            } else if (c == '^') {
                ++pi; // the end of the address
                continue;
            }
        } else if (!endAnchor || si == s.size()) {
            return true;
        }
        if (starP == None || starS >= s.size())
            return false;
        si = ++starS;
        pi = starP;
        if (!skipAhead())
            return false;
    }
}

} // namespace

bool patternMatches(std::string_view pattern, Anchor anchor, bool endAnchor, std::string_view url,
                    std::size_t hostBegin, std::size_t hostLength)
{
    switch (anchor) {
    case Anchor::Start:
        return wildcard(pattern, url, false, endAnchor);
    case Anchor::None:
        return wildcard(pattern, url, true, endAnchor);
    case Anchor::Host:
        if (hostLength == 0 || hostBegin > url.size())
            return false;
        for (std::size_t at = hostBegin; at < hostBegin + hostLength; ++at) {
            if (at != hostBegin && url[at - 1] != '.')
                continue;
            if (wildcard(pattern, url.substr(at), false, endAnchor))
                return true;
        }
        return false;
    }
    return false;
}

} // namespace guard::detail
