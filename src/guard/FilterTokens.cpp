#include "guard/FilterTokens.h"

#include "guard/UrlParts.h"

#include <algorithm>
#include <array>
#include <string>

namespace guard::detail {

namespace {

constexpr int Boundary = -2; // the start or the end of the address
constexpr int Unknown = -1; // anything: a class, a group, a repeated atom

// items: literal characters, Boundary or Unknown. A run of token characters counts when both
// its neighbours are a literal non-token character or a boundary.
std::vector<std::uint32_t> tokensOf(const std::vector<int> &items)
{
    std::vector<std::uint32_t> out;
    std::size_t i = 0;
    while (i < items.size()) {
        if (items[i] < 0 || !isTokenChar(static_cast<unsigned char>(items[i]))) {
            ++i;
            continue;
        }
        std::size_t j = i;
        std::string token;
        while (j < items.size() && items[j] >= 0
               && isTokenChar(static_cast<unsigned char>(items[j])))
            token += lower(static_cast<char>(items[j++]));
        bool leftOk = i > 0 && items[i - 1] != Unknown;
        bool rightOk = j < items.size() && items[j] != Unknown;
        if (leftOk && rightOk && token.size() <= 64)
            out.push_back(tokenHash(token));
        i = j;
    }
    return out;
}

} // namespace

std::vector<std::uint32_t> patternTokens(std::string_view pattern, Anchor anchor, bool endAnchor)
{
    std::vector<int> items;
    items.reserve(pattern.size() + 2);
    // A host anchor starts at a label, so after a dot or the scheme's slashes.
    items.push_back(anchor == Anchor::None ? Unknown : Boundary);
    for (char c : pattern) {
        if (c == '*')
            items.push_back(Unknown);
        else if (c == '^')
            items.push_back(Boundary);
        else
            items.push_back(static_cast<unsigned char>(c));
    }
    items.push_back(endAnchor ? Boundary : Unknown);
    return tokensOf(items);
}

std::vector<std::uint32_t> regexTokens(std::string_view re)
{
    std::vector<int> items;
    items.push_back(Unknown);
    int depth = 0;
    for (std::size_t i = 0; i < re.size(); ++i) {
        char c = re[i];
        if (c == '\\' && i + 1 < re.size()) {
            char e = re[++i];
            bool letterOrDigit
                = (e >= 'a' && e <= 'z') || (e >= 'A' && e <= 'Z') || (e >= '0' && e <= '9');
            if (depth == 0)
                items.push_back(letterOrDigit ? Unknown : static_cast<unsigned char>(e));
        } else if (c == '[') {
            // A class: skip it whole, ] first or escaped stays inside.
            std::size_t j = i + 1;
            if (j < re.size() && re[j] == '^')
                ++j;
            if (j < re.size() && re[j] == ']')
                ++j;
            while (j < re.size() && re[j] != ']')
                j += re[j] == '\\' ? 2 : 1;
            i = std::min(j, re.size());
            if (depth == 0)
                items.push_back(Unknown);
        } else if (c == '(') {
            if (depth == 0)
                items.push_back(Unknown);
            ++depth;
        } else if (c == ')') {
            depth = std::max(0, depth - 1);
        } else if (c == '|') {
            if (depth == 0)
                return {}; // alternatives at the top: nothing is sure
        } else if (c == '^' && i == 0) {
            items.back() = Boundary;
        } else if (c == '$' && i + 1 == re.size()) {
            if (depth == 0)
                items.push_back(Boundary);
        } else if (c == '.') {
            if (depth == 0)
                items.push_back(Unknown);
        } else if (c == '?' || c == '*' || c == '+' || c == '{') {
            // A repeated or optional atom: what it was is no longer sure.
            if (depth == 0 && items.size() > 1)
                items.back() = Unknown;
            if (c == '{')
                while (i < re.size() && re[i] != '}')
                    ++i;
            else if (i + 1 < re.size() && (re[i + 1] == '?' || re[i + 1] == '+'))
                ++i;
        } else if (depth == 0) {
            items.push_back(static_cast<unsigned char>(c));
        }
    }
    items.push_back(Unknown);
    return tokensOf(items);
}

bool isCommonUrlToken(std::uint32_t token)
{
    static const std::array<std::uint32_t, 24> common = [] {
        const char *words[] = {"http", "https", "www", "com", "net", "org", "js",     "html",
                               "php",  "png",   "jpg", "gif", "css", "cdn", "static", "min",
                               "img",  "api",   "de",  "uk",  "co",  "io",  "assets", "ws"};
        std::array<std::uint32_t, 24> out {};
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = tokenHash(words[i]);
        return out;
    }();
    return std::find(common.begin(), common.end(), token) != common.end();
}

} // namespace guard::detail
