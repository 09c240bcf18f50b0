#include "guard/FilterEngine.h"
#include "guard/FilterIndex.h"
#include "guard/FilterParser.h"
#include "guard/FilterTokens.h"
#include "guard/UrlParts.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

namespace guard {

using namespace detail;

struct FilterCompiler::Private
{
    std::vector<ListStats> lists;
    std::vector<std::pair<NetworkFilter, int>> network;
    std::vector<std::pair<HidingFilter, int>> hiding;
};

FilterCompiler::FilterCompiler() : d(std::make_unique<Private>()) { }
FilterCompiler::~FilterCompiler() = default;

int FilterCompiler::addList(std::string_view text)
{
    int list = static_cast<int>(d->lists.size());
    ListStats stats;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\n\r", start);
        if (end == std::string_view::npos)
            end = text.size();
        ParsedLine p = parseLine(text.substr(start, end - start));
        start = end + 1;
        switch (p.kind) {
        case LineVerdict::Empty:
            break;
        case LineVerdict::Unsupported:
            ++stats.skipped;
            ++stats.skippedReasons[p.reason];
            break;
        case LineVerdict::Network:
            ++stats.understood;
            d->network.emplace_back(std::move(p.network), list);
            break;
        case LineVerdict::Hiding:
            ++stats.understood;
            d->hiding.emplace_back(std::move(p.hiding), list);
            break;
        }
    }
    d->lists.push_back(std::move(stats));
    return list;
}

int FilterCompiler::listCount() const
{
    return static_cast<int>(d->lists.size());
}

ListStats FilterCompiler::stats(int list) const
{
    if (list < 0 || list >= listCount())
        return {};
    return d->lists[static_cast<std::size_t>(list)];
}

namespace {

constexpr std::uint64_t CommonTokenPenalty = 1000000;

class Writer
{
public:
    std::uint32_t addString(std::string_view s)
    {
        auto offset = static_cast<std::uint32_t>(strings.size());
        strings.append(s);
        return offset;
    }
    std::string strings;
};

std::string buildIndex(std::vector<IndexEntry> entries, std::uint32_t keys)
{
    std::uint32_t buckets = 16;
    while (buckets < entries.size() * 2)
        buckets <<= 1;
    std::uint32_t mask = buckets - 1;
    std::stable_sort(entries.begin(), entries.end(),
                     [mask](const IndexEntry &a, const IndexEntry &b) {
                         return (a.key & mask) < (b.key & mask);
                     });
    std::vector<std::uint32_t> starts(buckets + 1, 0);
    for (const IndexEntry &e : entries)
        ++starts[(e.key & mask) + 1];
    for (std::uint32_t i = 0; i < buckets; ++i)
        starts[i + 1] += starts[i];
    IndexHead head {buckets, static_cast<std::uint32_t>(entries.size()), keys, 0};
    std::string out(reinterpret_cast<const char *>(&head), sizeof head);
    out.append(reinterpret_cast<const char *>(starts.data()),
               starts.size() * sizeof(std::uint32_t));
    if (out.size() % 8)
        out.append(8 - out.size() % 8, '\0');
    out.append(reinterpret_cast<const char *>(entries.data()), entries.size() * sizeof(IndexEntry));
    return out;
}

template<typename T> std::string bytesOf(const std::vector<T> &v)
{
    return std::string(reinterpret_cast<const char *>(v.data()), v.size() * sizeof(T));
}

std::uint32_t appendDomains(std::vector<DomainRef> &domains, const std::vector<DomainEntry> &list)
{
    auto offset = static_cast<std::uint32_t>(domains.size());
    for (const DomainEntry &e : list)
        domains.push_back(DomainRef {hash64(e.first), e.second ? 1u : 0u, 0});
    return offset;
}

// The host of a filter that names a host and its subdomains and nothing else ("||host^").
std::string_view pureHost(const NetworkFilter &f)
{
    if (f.regex || f.anchor != Anchor::Host || f.endAnchor || f.pattern.size() < 2
        || f.pattern.back() != '^')
        return {};
    std::string_view host(f.pattern.data(), f.pattern.size() - 1);
    for (char c : host)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_'))
            return {};
    return host.find('.') == std::string_view::npos || host.front() == '.' || host.back() == '.'
        ? std::string_view()
        : host;
}

bool hasPositive(const std::vector<DomainEntry> &list)
{
    return std::any_of(list.begin(), list.end(), [](const DomainEntry &e) { return !e.second; });
}

} // namespace

std::string FilterCompiler::compile() const
{
    Writer w;
    std::vector<NetRule> rules;
    std::vector<DomainRef> domains;
    enum Category { Block, Important, Exception, PageAllow, HideAllow, CategoryCount };
    std::vector<IndexEntry> index[CategoryCount];
    std::uint32_t keys[CategoryCount] = {};

    // Each filter is filed under its rarest token among all the filters', so that the lists
    // spread over the index and a request's common tokens ("com", "js") find few rules.
    std::vector<std::vector<std::uint32_t>> candidates;
    candidates.reserve(d->network.size());
    std::unordered_map<std::uint32_t, std::uint32_t> frequency;
    for (const auto &[f, list] : d->network) {
        candidates.push_back(f.regex ? regexTokens(f.pattern)
                                     : patternTokens(f.pattern, f.anchor, f.endAnchor));
        for (std::uint32_t t : candidates.back())
            ++frequency[t];
    }

    std::uint32_t regexCount = 0;
    rules.reserve(d->network.size());
    for (std::size_t i = 0; i < d->network.size(); ++i) {
        const NetworkFilter &f = d->network[i].first;
        NetRule r {};
        r.textOffset = w.addString(f.text);
        r.textLength = static_cast<std::uint32_t>(f.text.size());
        // Most patterns are a piece of the filter's own text.
        std::size_t inText = f.text.find(f.pattern);
        r.patternOffset = inText != std::string::npos
            ? r.textOffset + static_cast<std::uint32_t>(inText)
            : w.addString(f.pattern);
        r.patternLength = static_cast<std::uint32_t>(f.pattern.size());
        r.domainsOffset = appendDomains(domains, f.domains);
        appendDomains(domains, f.to);
        r.domainCount = static_cast<std::uint16_t>(std::min<std::size_t>(f.domains.size(), 0xffff));
        r.toCount = static_cast<std::uint16_t>(std::min<std::size_t>(f.to.size(), 0xffff));
        r.types = f.types;
        r.flags = (f.regex ? RegexRule : 0) | (f.exception ? ExceptionRule : 0)
            | (f.important ? ImportantRule : 0) | (f.matchCase ? MatchCaseRule : 0)
            | (f.endAnchor ? EndAnchorRule : 0) | (f.elemHide ? ElemHideRule : 0)
            | (f.genericHide ? GenericHideRule : 0);
        r.list = static_cast<std::uint16_t>(d->network[i].second);
        r.party = f.party;
        r.anchor = static_cast<std::uint8_t>(f.anchor);
        r.regexSlot = f.regex ? regexCount++ : 0;
        auto id = static_cast<std::uint32_t>(rules.size());
        rules.push_back(r);

        std::uint32_t best = 0;
        std::uint64_t bestScore = ~0ull;
        for (std::uint32_t t : candidates[i]) {
            std::uint64_t score = frequency[t] + (isCommonUrlToken(t) ? CommonTokenPenalty : 0u);
            if (score < bestScore) {
                bestScore = score;
                best = t;
            }
        }
        std::string_view host = pureHost(f);
        auto file = [&](Category c, std::uint32_t types) {
            if (!host.empty()) {
                index[c].push_back({domainKey(hash64(host)), id});
                keys[c] |= HostKeys;
            } else if (best && bestScore < CommonTokenPenalty) {
                index[c].push_back({best, id});
            } else if (hasPositive(f.domains)) {
                for (const DomainEntry &e : f.domains)
                    if (!e.second)
                        index[c].push_back({domainKey(hash64(e.first)), id});
                keys[c] |= PageDomainKeys;
            } else {
                for (unsigned t = 0; t <= static_cast<unsigned>(ResourceType::Popup); ++t)
                    if (types & (1u << t))
                        index[c].push_back({typeKey(t), id});
                keys[c] |= TypeKeys;
            }
        };
        if (f.exception) {
            if (f.types)
                file(Exception, f.types);
            // Both are matched with the page's own address, as a document.
            if (f.types & typeBit(ResourceType::Document))
                file(PageAllow, typeBit(ResourceType::Document));
            if (f.elemHide || f.genericHide)
                file(HideAllow, typeBit(ResourceType::Document));
        } else {
            file(f.important ? Important : Block, f.types);
        }
    }

    // Element hiding. An exception for no domain in particular removes its selector for good.
    std::unordered_set<std::string_view> everywhereExcepted;
    for (const auto &[h, list] : d->hiding)
        if (h.exception && !hasPositive(h.domains))
            everywhereExcepted.insert(h.selector);
    std::vector<HideRule> hideRules;
    std::vector<DomainRef> hideDomains;
    std::vector<IndexEntry> specific;
    std::vector<IndexEntry> excepted;
    std::vector<std::uint32_t> negatedOnly;
    std::vector<std::uint32_t> genericIds;
    std::string genericCss;
    int inRule = 0;
    for (const auto &[h, list] : d->hiding) {
        HideRule r {};
        r.textOffset = w.addString(h.text);
        r.textLength = static_cast<std::uint32_t>(h.text.size());
        std::size_t inText = h.text.rfind(h.selector);
        r.selectorOffset = inText != std::string::npos
            ? r.textOffset + static_cast<std::uint32_t>(inText)
            : w.addString(h.selector);
        r.selectorLength = static_cast<std::uint32_t>(h.selector.size());
        r.domainsOffset = appendDomains(hideDomains, h.domains);
        r.domainCount = static_cast<std::uint16_t>(std::min<std::size_t>(h.domains.size(), 0xffff));
        r.list = static_cast<std::uint16_t>(list);
        auto id = static_cast<std::uint32_t>(hideRules.size());
        hideRules.push_back(r);
        bool positive = hasPositive(h.domains);
        if (h.exception) {
            if (positive)
                for (const DomainEntry &e : h.domains)
                    if (!e.second)
                        excepted.push_back({domainKey(hash64(e.first)), id});
            continue;
        }
        if (everywhereExcepted.count(h.selector))
            continue;
        if (positive) {
            for (const DomainEntry &e : h.domains)
                if (!e.second)
                    specific.push_back({domainKey(hash64(e.first)), id});
        } else if (!h.domains.empty()) {
            negatedOnly.push_back(id);
        } else {
            genericIds.push_back(id);
            genericCss += inRule ? "," : "";
            genericCss += h.selector;
            if (++inRule == HidingRuleSize) {
                genericCss += HidingDeclaration;
                inRule = 0;
            }
        }
    }
    if (inRule)
        genericCss += HidingDeclaration;

    std::string lists;
    for (const ListStats &s : d->lists) {
        lists += "L\t" + std::to_string(s.understood) + "\t" + std::to_string(s.skipped) + "\n";
        for (const auto &[reason, n] : s.skippedReasons)
            lists += "R\t" + reason + "\t" + std::to_string(n) + "\n";
    }

    std::string sections[SectionCount];
    sections[StringsSection] = std::move(w.strings);
    sections[RulesSection] = bytesOf(rules);
    sections[DomainsSection] = bytesOf(domains);
    sections[BlockIndexSection] = buildIndex(std::move(index[Block]), keys[Block]);
    sections[ImportantIndexSection] = buildIndex(std::move(index[Important]), keys[Important]);
    sections[ExceptionIndexSection] = buildIndex(std::move(index[Exception]), keys[Exception]);
    sections[PageAllowIndexSection] = buildIndex(std::move(index[PageAllow]), keys[PageAllow]);
    sections[HideAllowIndexSection] = buildIndex(std::move(index[HideAllow]), keys[HideAllow]);
    sections[HideRulesSection] = bytesOf(hideRules);
    sections[HideDomainsSection] = bytesOf(hideDomains);
    sections[HideSpecificIndexSection] = buildIndex(std::move(specific), PageDomainKeys);
    sections[HideExceptionIndexSection] = buildIndex(std::move(excepted), PageDomainKeys);
    sections[HideGenericNegatedSection] = bytesOf(negatedOnly);
    sections[HideGenericCssSection] = std::move(genericCss);
    sections[HideGenericIdsSection] = bytesOf(genericIds);
    sections[ListsSection] = std::move(lists);

    IndexHeader header {};
    std::memcpy(header.magic, IndexMagic, sizeof header.magic);
    header.version = IndexVersion;
    header.sectionCount = SectionCount;
    header.listCount = static_cast<std::uint32_t>(d->lists.size());
    header.regexCount = regexCount;
    std::uint64_t offset = sizeof header;
    for (unsigned s = 0; s < SectionCount; ++s) {
        offset = (offset + 7) & ~std::uint64_t(7);
        header.sections[s] = SectionRef {offset, sections[s].size()};
        offset += sections[s].size();
    }
    header.totalSize = offset;
    std::string out;
    out.reserve(offset);
    out.append(reinterpret_cast<const char *>(&header), sizeof header);
    for (unsigned s = 0; s < SectionCount; ++s) {
        out.append(header.sections[s].offset - out.size(), '\0');
        out.append(sections[s]);
    }
    return out;
}

} // namespace guard
