#pragma once

// The compiled index's byte layout, shared by the compiler that writes it and the engine that
// reads it in place. Every section is an array of fixed-size records, 8-byte aligned; the
// loader checks every size and offset before the engine uses any of them.

#include <cstdint>
#include <string_view>

namespace guard::detail {

constexpr char IndexMagic[8] = {'S', 'W', 'G', 'U', 'A', 'R', 'D', '\n'};
// Raised whenever a record or the meaning of a field changes: an index of another version is
// rejected and compiled afresh from the lists.
constexpr std::uint32_t IndexVersion = 1;

enum Section : std::uint32_t {
    StringsSection, // chars: patterns, filter texts, selectors
    RulesSection, // NetRule[]
    DomainsSection, // DomainRef[]: the domain= and to= entries of the rules
    BlockIndexSection, // token index over block rules
    ImportantIndexSection, // over important block rules
    ExceptionIndexSection, // over exceptions
    PageAllowIndexSection, // exceptions for whole pages ($document), matched with the page
    HideAllowIndexSection, // $elemhide / $generichide exceptions, matched with the page
    HideRulesSection, // HideRule[]
    HideDomainsSection, // DomainRef[]: the domains of the element-hiding rules
    HideSpecificIndexSection, // domain index over hiding rules for named domains
    HideExceptionIndexSection, // domain index over #@# exceptions for named domains
    HideGenericNegatedSection, // u32[]: generic rules with only ~domains
    HideGenericCssSection, // chars: the style sheet of all other generic rules
    HideGenericIdsSection, // u32[]: those rules, for a page that excepts one of them
    ListsSection, // chars: the lists' counts, "L\t<understood>\t<skipped>\n" "R\t<reason>\t<n>\n"
    SectionCount
};

struct SectionRef
{
    std::uint64_t offset;
    std::uint64_t size;
};

struct IndexHeader
{
    char magic[8];
    std::uint32_t version;
    std::uint32_t sectionCount;
    std::uint64_t totalSize;
    std::uint32_t listCount;
    std::uint32_t regexCount;
    SectionRef sections[SectionCount];
};

// NetRule::flags
constexpr std::uint32_t RegexRule = 1;
constexpr std::uint32_t ExceptionRule = 2;
constexpr std::uint32_t ImportantRule = 4;
constexpr std::uint32_t MatchCaseRule = 8;
constexpr std::uint32_t EndAnchorRule = 16;
constexpr std::uint32_t ElemHideRule = 32;
constexpr std::uint32_t GenericHideRule = 64;

struct NetRule
{
    std::uint32_t patternOffset;
    std::uint32_t patternLength;
    std::uint32_t textOffset;
    std::uint32_t textLength;
    std::uint32_t domainsOffset; // the domain= entries, then the to= entries
    std::uint16_t domainCount;
    std::uint16_t toCount;
    std::uint32_t types;
    std::uint32_t flags;
    std::uint16_t list;
    std::uint8_t party;
    std::uint8_t anchor;
    std::uint32_t regexSlot;
};
static_assert(sizeof(NetRule) == 40);

struct DomainRef
{
    std::uint64_t hash; // hash64 of the lower-case name
    std::uint32_t negated;
    std::uint32_t reserved;
};
static_assert(sizeof(DomainRef) == 16);

struct HideRule
{
    std::uint32_t selectorOffset;
    std::uint32_t selectorLength;
    std::uint32_t textOffset;
    std::uint32_t textLength;
    std::uint32_t domainsOffset;
    std::uint16_t domainCount;
    std::uint16_t list;
};
static_assert(sizeof(HideRule) == 24);

// A token index: IndexHead, then bucketCount + 1 u32 starts, then (if needed) 4 bytes of
// padding, then entryCount IndexEntry sorted by bucket.
struct IndexHead
{
    std::uint32_t bucketCount; // a power of two
    std::uint32_t entryCount;
    std::uint32_t keys; // which kinds of key the entries hold besides tokens
    std::uint32_t reserved;
};
// A rule without a token of its own, or with only a token most addresses hold ("https"), sits
// under the key of each resource type it applies to (TypeKeys), or, when it has domain=, under
// each of those domains (PageDomainKeys); a rule for a host and its subdomains
// alone ("||host^") under the host (HostKeys), looked up with the request's host and parents.
constexpr std::uint32_t TypeKeys = 1;
constexpr std::uint32_t PageDomainKeys = 2;
constexpr std::uint32_t HostKeys = 4;

inline std::uint32_t typeKey(unsigned type)
{
    return 0x9e3779b9u * (type + 1);
}

struct IndexEntry
{
    std::uint32_t key;
    std::uint32_t rule;
};

inline std::uint32_t domainKey(std::uint64_t domainHash)
{
    auto k = static_cast<std::uint32_t>(domainHash >> 32) ^ static_cast<std::uint32_t>(domainHash);
    return k ? k : 1;
}

// The generic hiding selectors are grouped this many to a style rule: one selector the
// browser does not understand drops its whole rule, never the whole sheet.
constexpr int HidingRuleSize = 500;
constexpr std::string_view HidingDeclaration = "{display:none!important}\n";

} // namespace guard::detail
