#pragma once

// Matching an address pattern: * is any run of characters, ^ one separator or the end of the
// address; a host anchor starts the pattern at the host or at one of its labels, a start
// anchor at the first character, an end anchor needs the pattern to reach the last.

#include "guard/FilterParser.h"

#include <string_view>

namespace guard::detail {

bool patternMatches(std::string_view pattern, Anchor anchor, bool endAnchor, std::string_view url,
                    std::size_t hostBegin, std::size_t hostLength);

} // namespace guard::detail
