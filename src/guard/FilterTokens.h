#pragma once

// The tokens a filter is filed under in the index: runs of letters, digits and % that every
// address the filter matches holds whole, so that a request's own tokens find it.

#include "guard/FilterParser.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace guard::detail {

// Candidates from an address pattern (lower case, without its anchors).
std::vector<std::uint32_t> patternTokens(std::string_view pattern, Anchor anchor, bool endAnchor);
// Candidates from a regular expression: literal runs outside groups and alternatives. None
// when the expression has none it is sure of.
std::vector<std::uint32_t> regexTokens(std::string_view regex);
// Tokens most addresses hold ("http", "com", "www", ...): a filter is filed under one only
// when it has nothing else.
bool isCommonUrlToken(std::uint32_t token);

} // namespace guard::detail
