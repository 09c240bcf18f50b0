#pragma once

// One line of a filter list, read into what the compiler indexes. A line the parser does not
// understand in full is rejected whole with a reason; nothing of it is kept.

#include "guard/FilterEngine.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace guard::detail {

enum class Anchor : std::uint8_t { None, Start, Host };

constexpr std::uint32_t typeBit(ResourceType t)
{
    return 1u << static_cast<unsigned>(t);
}
constexpr std::uint32_t AllTypes = (1u << (static_cast<unsigned>(ResourceType::Popup) + 1)) - 1;
// A filter without a type option applies to every request but a top-level page and a popup.
constexpr std::uint32_t DefaultTypes
    = AllTypes & ~typeBit(ResourceType::Document) & ~typeBit(ResourceType::Popup);

enum Party : std::uint8_t { FirstParty = 1, ThirdParty = 2, AnyParty = 3 };

// A domain list entry ("example.com" or "~example.com"), lower case.
using DomainEntry = std::pair<std::string, bool /*negated*/>;

struct NetworkFilter
{
    std::string text;
    std::string pattern; // lower case unless matchCase; a regular expression when regex
    Anchor anchor = Anchor::None;
    bool endAnchor = false;
    bool regex = false;
    bool exception = false;
    bool important = false;
    bool matchCase = false;
    bool elemHide = false; // exception: no element hiding on the pages it matches
    bool genericHide = false; // exception: no generic element hiding there
    std::uint32_t types = DefaultTypes;
    std::uint8_t party = AnyParty;
    std::vector<DomainEntry> domains; // the page's domain (domain=, from=)
    std::vector<DomainEntry> to; // the request's own domain (to=)
};

struct HidingFilter
{
    std::string text;
    std::string selector;
    bool exception = false;
    std::vector<DomainEntry> domains;
};

struct ParsedLine
{
    LineVerdict::Kind kind = LineVerdict::Empty;
    std::string reason;
    NetworkFilter network;
    HidingFilter hiding;
};

ParsedLine parseLine(std::string_view line);

} // namespace guard::detail
