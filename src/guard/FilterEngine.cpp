#include "guard/FilterEngine.h"

#include "guard/FilterIndex.h"
#include "guard/FilterParser.h"
#include "guard/PatternMatch.h"
#include "guard/UrlParts.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <atomic>
#include <cstring>
#include <string>
#include <unordered_set>

namespace guard {

using namespace detail;

namespace {

// A read-only view of one token index inside the buffer.
struct IndexView
{
    const IndexHead *head = nullptr;
    const std::uint32_t *starts = nullptr;
    const IndexEntry *entries = nullptr;
    bool empty() const { return !head || head->entryCount == 0; }
};

template<typename T> struct ArrayView
{
    const T *data = nullptr;
    std::size_t size = 0;
};

// Per request: the address lowered, its host, and what is worked out only when a rule asks.
struct RequestContext
{
    std::string_view url; // as given
    std::string_view lowered;
    std::string_view host;
    std::string_view pageUrl;
    std::string_view pageHost;
    std::uint32_t typeBit = 0;
    unsigned type = 0;
    int party = 0; // 0 unknown, FirstParty or ThirdParty
    bool pageSuffixesDone = false;
    bool hostSuffixesDone = false;
    int pageSuffixCount = 0;
    int hostSuffixCount = 0;
    std::uint64_t pageSuffixes[16];
    std::uint64_t hostSuffixes[16];
};

// The hashes of a host and of each of its parent domains, the host first.
int suffixHashes(std::string_view host, std::uint64_t *out, int max)
{
    int n = 0;
    while (!host.empty() && n < max) {
        out[n++] = hash64(host);
        std::size_t dot = host.find('.');
        if (dot == std::string_view::npos)
            break;
        host.remove_prefix(dot + 1);
    }
    return n;
}

// The most specific entry that names the host (or one of its parents) decides; a host no entry
// names matches only a list of exclusions.
bool domainsMatch(const DomainRef *entries, std::size_t count, const std::uint64_t *suffixes,
                  int suffixCount)
{
    bool anyPositive = false;
    for (std::size_t e = 0; e < count; ++e)
        anyPositive |= !entries[e].negated;
    for (int s = 0; s < suffixCount; ++s)
        for (std::size_t e = 0; e < count; ++e)
            if (entries[e].hash == suffixes[s])
                return !entries[e].negated;
    return !anyPositive;
}

constexpr std::size_t MaxTokens = 256;

struct Tokens
{
    std::uint32_t hashes[MaxTokens];
    std::size_t count = 0;
};

void tokenize(std::string_view s, Tokens *t)
{
    std::size_t i = 0;
    while (i < s.size() && t->count < MaxTokens) {
        while (i < s.size() && !isTokenChar(static_cast<unsigned char>(s[i])))
            ++i;
        std::size_t start = i;
        std::uint32_t h = 2166136261u;
        while (i < s.size() && isTokenChar(static_cast<unsigned char>(s[i])))
            h = (h ^ static_cast<unsigned char>(s[i++])) * 16777619u;
        h = h ? h : 1;
        // An address repeats its tokens ("js", "com"): each is looked up once.
        bool seen = false;
        for (std::size_t k = 0; k < t->count && !seen; ++k)
            seen = t->hashes[k] == h;
        if (i > start && !seen)
            t->hashes[t->count++] = h;
    }
}

struct RegexMatchData
{
    pcre2_match_data *data = pcre2_match_data_create(1, nullptr);
    ~RegexMatchData() { pcre2_match_data_free(data); }
};

} // namespace

struct FilterEngine::Private
{
    std::string buffer;
    const IndexHeader *header = nullptr;
    std::string_view strings;
    ArrayView<NetRule> rules;
    ArrayView<DomainRef> domains;
    IndexView block, important, exception, pageAllow, hideAllow, hideSpecific, hideExcepted;
    ArrayView<HideRule> hideRules;
    ArrayView<DomainRef> hideDomains;
    ArrayView<std::uint32_t> hideNegated, hideGenericIds;
    std::string_view genericCss;
    std::string_view lists;
    // Regular expressions are compiled on first use; whichever thread gets there first
    // publishes its copy, the others free theirs.
    std::unique_ptr<std::atomic<pcre2_code *>[]> regexes;
    pcre2_match_context *matchContext = nullptr;

    ~Private()
    {
        if (regexes)
            for (std::uint32_t i = 0; i < header->regexCount; ++i)
                pcre2_code_free(regexes[i].load());
        pcre2_match_context_free(matchContext);
    }

    bool validate(std::string *error);
    bool ruleMatches(const NetRule &r, RequestContext &c) const;
    bool regexMatches(const NetRule &r, std::string_view url) const;
    const NetRule *find(const IndexView &index, const Tokens &tokens, RequestContext &c) const;
    std::string_view text(std::uint32_t offset, std::uint32_t length) const
    {
        return strings.substr(offset, length);
    }
};

FilterEngine::FilterEngine() : d(std::make_unique<Private>()) { }
FilterEngine::~FilterEngine() = default;

namespace {

bool fail(std::string *error, const char *why)
{
    if (error)
        *error = why;
    return false;
}

template<typename T> bool arrayOf(const std::string &buffer, const SectionRef &s, ArrayView<T> *out)
{
    if (s.size % sizeof(T))
        return false;
    out->data = reinterpret_cast<const T *>(buffer.data() + s.offset);
    out->size = s.size / sizeof(T);
    return true;
}

bool indexOf(const std::string &buffer, const SectionRef &s, std::size_t ruleCount, IndexView *out)
{
    if (s.size < sizeof(IndexHead))
        return false;
    const char *base = buffer.data() + s.offset;
    const auto *head = reinterpret_cast<const IndexHead *>(base);
    std::uint64_t buckets = head->bucketCount;
    if (buckets == 0 || (buckets & (buckets - 1)) || buckets > (1u << 28))
        return false;
    std::uint64_t startsEnd = sizeof(IndexHead) + (buckets + 1) * sizeof(std::uint32_t);
    std::uint64_t entriesAt = (startsEnd + 7) & ~std::uint64_t(7);
    if (entriesAt + std::uint64_t(head->entryCount) * sizeof(IndexEntry) != s.size)
        return false;
    const auto *starts = reinterpret_cast<const std::uint32_t *>(base + sizeof(IndexHead));
    if (starts[0] != 0 || starts[buckets] != head->entryCount)
        return false;
    for (std::uint64_t b = 0; b < buckets; ++b)
        if (starts[b] > starts[b + 1])
            return false;
    const auto *entries = reinterpret_cast<const IndexEntry *>(base + entriesAt);
    for (std::uint32_t e = 0; e < head->entryCount; ++e)
        if (entries[e].rule >= ruleCount)
            return false;
    out->head = head;
    out->starts = starts;
    out->entries = entries;
    return true;
}

} // namespace

bool FilterEngine::Private::validate(std::string *error)
{
    if (reinterpret_cast<std::uintptr_t>(buffer.data()) % alignof(std::uint64_t))
        buffer = std::string(buffer); // a fresh allocation is aligned
    if (buffer.size() < sizeof(IndexHeader))
        return fail(error, "the index is too short");
    header = reinterpret_cast<const IndexHeader *>(buffer.data());
    if (std::memcmp(header->magic, IndexMagic, sizeof IndexMagic) != 0)
        return fail(error, "not a filter index");
    if (header->version != IndexVersion)
        return fail(error, "the index was made by another version");
    if (header->sectionCount != SectionCount || header->totalSize != buffer.size())
        return fail(error, "the index is truncated or damaged");
    if (header->listCount > 0xffff || header->regexCount > buffer.size())
        return fail(error, "the index is damaged");
    for (const SectionRef &s : header->sections)
        if (s.offset % 8 || s.offset < sizeof(IndexHeader) || s.offset > buffer.size()
            || s.size > buffer.size() - s.offset)
            return fail(error, "a section of the index lies outside it");
    const SectionRef *sec = header->sections;
    strings
        = std::string_view(buffer.data() + sec[StringsSection].offset, sec[StringsSection].size);
    genericCss = std::string_view(buffer.data() + sec[HideGenericCssSection].offset,
                                  sec[HideGenericCssSection].size);
    lists = std::string_view(buffer.data() + sec[ListsSection].offset, sec[ListsSection].size);
    if (!arrayOf(buffer, sec[RulesSection], &rules)
        || !arrayOf(buffer, sec[DomainsSection], &domains)
        || !arrayOf(buffer, sec[HideRulesSection], &hideRules)
        || !arrayOf(buffer, sec[HideDomainsSection], &hideDomains)
        || !arrayOf(buffer, sec[HideGenericNegatedSection], &hideNegated)
        || !arrayOf(buffer, sec[HideGenericIdsSection], &hideGenericIds))
        return fail(error, "a section of the index has a wrong size");
    if (!indexOf(buffer, sec[BlockIndexSection], rules.size, &block)
        || !indexOf(buffer, sec[ImportantIndexSection], rules.size, &important)
        || !indexOf(buffer, sec[ExceptionIndexSection], rules.size, &exception)
        || !indexOf(buffer, sec[PageAllowIndexSection], rules.size, &pageAllow)
        || !indexOf(buffer, sec[HideAllowIndexSection], rules.size, &hideAllow)
        || !indexOf(buffer, sec[HideSpecificIndexSection], hideRules.size, &hideSpecific)
        || !indexOf(buffer, sec[HideExceptionIndexSection], hideRules.size, &hideExcepted))
        return fail(error, "an index of the filters is damaged");
    auto inStrings = [this](std::uint64_t offset, std::uint64_t length) {
        return offset <= strings.size() && length <= strings.size() - offset;
    };
    for (std::size_t i = 0; i < rules.size; ++i) {
        const NetRule &r = rules.data[i];
        if (!inStrings(r.patternOffset, r.patternLength) || !inStrings(r.textOffset, r.textLength)
            || std::uint64_t(r.domainsOffset) + r.domainCount + r.toCount > domains.size
            || r.list >= header->listCount || r.anchor > static_cast<std::uint8_t>(Anchor::Host)
            || ((r.flags & RegexRule) && r.regexSlot >= header->regexCount))
            return fail(error, "a filter of the index is damaged");
    }
    for (std::size_t i = 0; i < hideRules.size; ++i) {
        const HideRule &r = hideRules.data[i];
        if (!inStrings(r.selectorOffset, r.selectorLength) || !inStrings(r.textOffset, r.textLength)
            || std::uint64_t(r.domainsOffset) + r.domainCount > hideDomains.size
            || r.list >= header->listCount)
            return fail(error, "a hiding filter of the index is damaged");
    }
    for (std::size_t i = 0; i < hideNegated.size; ++i)
        if (hideNegated.data[i] >= hideRules.size)
            return fail(error, "a hiding filter of the index is damaged");
    for (std::size_t i = 0; i < hideGenericIds.size; ++i)
        if (hideGenericIds.data[i] >= hideRules.size)
            return fail(error, "a hiding filter of the index is damaged");
    regexes = std::make_unique<std::atomic<pcre2_code *>[]>(header->regexCount);
    for (std::uint32_t i = 0; i < header->regexCount; ++i)
        regexes[i].store(nullptr, std::memory_order_relaxed);
    matchContext = pcre2_match_context_create(nullptr);
    // A pathological expression gives up rather than holding the request.
    pcre2_set_match_limit(matchContext, 100000);
    pcre2_set_depth_limit(matchContext, 1000);
    return true;
}

std::unique_ptr<FilterEngine> FilterEngine::load(std::string &&bytes, std::string *error)
{
    std::unique_ptr<FilterEngine> engine(new FilterEngine);
    engine->d->buffer = std::move(bytes);
    if (!engine->d->validate(error))
        return nullptr;
    return engine;
}

std::unique_ptr<FilterEngine> FilterEngine::load(std::string_view bytes, std::string *error)
{
    return load(std::string(bytes), error);
}

bool FilterEngine::Private::regexMatches(const NetRule &r, std::string_view url) const
{
    std::atomic<pcre2_code *> &slot = regexes[r.regexSlot];
    pcre2_code *code = slot.load(std::memory_order_acquire);
    if (!code) {
        int err = 0;
        PCRE2_SIZE offset = 0;
        std::string_view source = text(r.patternOffset, r.patternLength);
        pcre2_code *fresh = pcre2_compile(
            reinterpret_cast<PCRE2_SPTR>(source.data()), source.size(),
            (r.flags & MatchCaseRule) ? 0u : PCRE2_CASELESS, &err, &offset, nullptr);
        if (!fresh)
            return false;
        pcre2_code *expected = nullptr;
        if (slot.compare_exchange_strong(expected, fresh, std::memory_order_acq_rel)) {
            code = fresh;
        } else {
            pcre2_code_free(fresh);
            code = expected;
        }
    }
    thread_local RegexMatchData match;
    if (!match.data)
        return false;
    return pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(url.data()), url.size(), 0, 0, match.data,
                       matchContext)
        >= 0;
}

bool FilterEngine::Private::ruleMatches(const NetRule &r, RequestContext &c) const
{
    if (!(r.types & c.typeBit))
        return false;
    if (r.party != AnyParty) {
        if (!c.party) {
            bool same = !c.pageHost.empty() && !c.host.empty() && sameSite(c.host, c.pageHost);
            c.party = same ? FirstParty : ThirdParty;
        }
        if (!(r.party & c.party))
            return false;
    }
    if (r.domainCount) {
        if (!c.pageSuffixesDone) {
            c.pageSuffixCount = suffixHashes(c.pageHost, c.pageSuffixes, 16);
            c.pageSuffixesDone = true;
        }
        if (!domainsMatch(domains.data + r.domainsOffset, r.domainCount, c.pageSuffixes,
                          c.pageSuffixCount))
            return false;
    }
    if (r.toCount) {
        if (!c.hostSuffixesDone) {
            c.hostSuffixCount = suffixHashes(c.host, c.hostSuffixes, 16);
            c.hostSuffixesDone = true;
        }
        if (!domainsMatch(domains.data + r.domainsOffset + r.domainCount, r.toCount, c.hostSuffixes,
                          c.hostSuffixCount))
            return false;
    }
    if (r.flags & RegexRule)
        return regexMatches(r, c.url);
    std::string_view pattern = text(r.patternOffset, r.patternLength);
    std::string_view subject = (r.flags & MatchCaseRule) ? c.url : c.lowered;
    return patternMatches(pattern, static_cast<Anchor>(r.anchor), r.flags & EndAnchorRule, subject,
                          c.host.data() - c.lowered.data(), c.host.size());
}

const NetRule *FilterEngine::Private::find(const IndexView &index, const Tokens &tokens,
                                           RequestContext &c) const
{
    if (index.empty())
        return nullptr;
    std::uint32_t mask = index.head->bucketCount - 1;
    auto lookup = [&](std::uint32_t key) -> const NetRule * {
        std::uint32_t b = key & mask;
        for (std::uint32_t e = index.starts[b]; e < index.starts[b + 1]; ++e) {
            if (index.entries[e].key != key)
                continue;
            const NetRule &r = rules.data[index.entries[e].rule];
            if (ruleMatches(r, c))
                return &r;
        }
        return nullptr;
    };
    // The host first: most of the lists' filters name a host and nothing else.
    if (index.head->keys & HostKeys) {
        if (!c.hostSuffixesDone) {
            c.hostSuffixCount = suffixHashes(c.host, c.hostSuffixes, 16);
            c.hostSuffixesDone = true;
        }
        for (int s = 0; s < c.hostSuffixCount; ++s)
            if (const NetRule *r = lookup(domainKey(c.hostSuffixes[s])))
                return r;
    }
    for (std::size_t t = 0; t < tokens.count; ++t)
        if (const NetRule *r = lookup(tokens.hashes[t]))
            return r;
    if (index.head->keys & TypeKeys)
        if (const NetRule *r = lookup(typeKey(c.type)))
            return r;
    if ((index.head->keys & PageDomainKeys) && !c.pageHost.empty()) {
        if (!c.pageSuffixesDone) {
            c.pageSuffixCount = suffixHashes(c.pageHost, c.pageSuffixes, 16);
            c.pageSuffixesDone = true;
        }
        for (int s = 0; s < c.pageSuffixCount; ++s)
            if (const NetRule *r = lookup(domainKey(c.pageSuffixes[s])))
                return r;
    }
    return nullptr;
}

namespace {

// The request's address lowered into a buffer of the caller's, and its host within it.
struct Lowered
{
    char small[2048];
    std::string large;
    std::string_view view;
    Lowered(std::string_view s)
    {
        char *out = small;
        if (s.size() > sizeof small) {
            large.resize(s.size());
            out = large.data();
        }
        for (std::size_t i = 0; i < s.size(); ++i)
            out[i] = lower(s[i]);
        view = std::string_view(out, s.size());
    }
};

} // namespace

Decision FilterEngine::match(const Request &request) const
{
    Decision decision;
    Lowered url(request.url);
    Lowered page(request.pageUrl);
    RequestContext c;
    c.url = request.url;
    c.lowered = url.view;
    HostSpan h = findHost(c.lowered);
    c.host = c.lowered.substr(h.begin, h.end - h.begin);
    HostSpan ph = findHost(page.view);
    c.pageHost = page.view.substr(ph.begin, ph.end - ph.begin);
    c.pageUrl = page.view;
    c.typeBit = typeBit(request.type);
    c.type = static_cast<unsigned>(request.type);

    Tokens tokens;
    tokenize(c.lowered, &tokens);
    const NetRule *hit = d->find(d->important, tokens, c);
    if (!hit) {
        hit = d->find(d->block, tokens, c);
        if (!hit)
            return decision;
        const NetRule *allow = d->find(d->exception, tokens, c);
        if (!allow && !d->pageAllow.empty() && !c.pageHost.empty()) {
            // A whole page excepted: its own address matched as a document.
            RequestContext pc;
            pc.url = request.pageUrl;
            pc.lowered = page.view;
            pc.host = c.pageHost;
            pc.pageUrl = page.view;
            pc.pageHost = c.pageHost;
            pc.typeBit = typeBit(ResourceType::Document);
            pc.type = static_cast<unsigned>(ResourceType::Document);
            Tokens pageTokens;
            tokenize(page.view, &pageTokens);
            allow = d->find(d->pageAllow, pageTokens, pc);
        }
        if (allow)
            hit = allow;
    }
    decision.kind = (hit->flags & ExceptionRule) ? Decision::Allow : Decision::Block;
    decision.list = hit->list;
    decision.filter = std::string(d->text(hit->textOffset, hit->textLength));
    return decision;
}

std::string FilterEngine::hidingCss(std::string_view page) const
{
    std::string address(page);
    if (findHost(address).empty() && address.find("://") == std::string::npos)
        address = "http://" + address + "/";
    Lowered lowered(address);
    HostSpan span = findHost(lowered.view);
    std::string_view host = lowered.view.substr(span.begin, span.end - span.begin);
    bool generic = true;
    if (!d->hideAllow.empty() && !host.empty()) {
        RequestContext c;
        c.url = address;
        c.lowered = lowered.view;
        c.host = host;
        c.pageUrl = lowered.view;
        c.pageHost = host;
        c.typeBit = ~0u; // the exception's types do not matter here
        Tokens tokens;
        tokenize(lowered.view, &tokens);
        // Every matching exception counts: one may switch off all hiding, another only the
        // generic part; look at each.
        std::uint32_t mask = d->hideAllow.head->bucketCount - 1;
        auto consider = [&](std::uint32_t key) {
            std::uint32_t b = key & mask;
            for (std::uint32_t e = d->hideAllow.starts[b]; e < d->hideAllow.starts[b + 1]; ++e) {
                if (d->hideAllow.entries[e].key != key)
                    continue;
                const NetRule &r = d->rules.data[d->hideAllow.entries[e].rule];
                NetRule any = r;
                any.types = ~0u;
                if (!d->ruleMatches(any, c))
                    continue;
                if (r.flags & ElemHideRule)
                    return false;
                generic = false;
            }
            return true;
        };
        for (std::size_t t = 0; t < tokens.count; ++t)
            if (!consider(tokens.hashes[t]))
                return {};
        if ((d->hideAllow.head->keys & TypeKeys)
            && !consider(typeKey(static_cast<unsigned>(ResourceType::Document))))
            return {};
        if (d->hideAllow.head->keys & (PageDomainKeys | HostKeys)) {
            std::uint64_t suffixes[16];
            int n = suffixHashes(host, suffixes, 16);
            for (int s = 0; s < n; ++s)
                if (!consider(domainKey(suffixes[s])))
                    return {};
        }
    }

    std::uint64_t suffixes[16];
    int n = suffixHashes(host, suffixes, 16);
    auto selector
        = [this](const HideRule &r) { return d->text(r.selectorOffset, r.selectorLength); };
    auto applies = [&](const HideRule &r) {
        return domainsMatch(d->hideDomains.data + r.domainsOffset, r.domainCount, suffixes, n);
    };
    auto forDomains = [&](const IndexView &index, auto &&each) {
        if (index.empty())
            return;
        std::uint32_t mask = index.head->bucketCount - 1;
        for (int s = 0; s < n; ++s) {
            std::uint32_t key = domainKey(suffixes[s]);
            for (std::uint32_t e = index.starts[key & mask]; e < index.starts[(key & mask) + 1];
                 ++e)
                if (index.entries[e].key == key)
                    each(index.entries[e].rule);
        }
    };
    std::unordered_set<std::string_view> excepted;
    forDomains(d->hideExcepted, [&](std::uint32_t id) {
        const HideRule &r = d->hideRules.data[id];
        if (applies(r))
            excepted.insert(selector(r));
    });
    std::vector<std::string_view> selectors;
    std::unordered_set<std::uint32_t> seen;
    forDomains(d->hideSpecific, [&](std::uint32_t id) {
        const HideRule &r = d->hideRules.data[id];
        if (seen.insert(id).second && applies(r) && !excepted.count(selector(r)))
            selectors.push_back(selector(r));
    });
    if (generic) {
        for (std::size_t i = 0; i < d->hideNegated.size; ++i) {
            const HideRule &r = d->hideRules.data[d->hideNegated.data[i]];
            if (applies(r) && !excepted.count(selector(r)))
                selectors.push_back(selector(r));
        }
    }
    std::string css;
    if (generic && excepted.empty()) {
        css = d->genericCss;
    } else if (generic) {
        for (std::size_t i = 0; i < d->hideGenericIds.size; ++i) {
            std::string_view s = selector(d->hideRules.data[d->hideGenericIds.data[i]]);
            if (!excepted.count(s))
                selectors.push_back(s);
        }
    }
    for (std::size_t i = 0; i < selectors.size(); ++i) {
        if (i % HidingRuleSize)
            css += ',';
        css += selectors[i];
        if (i % HidingRuleSize == HidingRuleSize - 1 || i + 1 == selectors.size())
            css += HidingDeclaration;
    }
    return css;
}

std::size_t FilterEngine::memoryBytes() const
{
    return sizeof(Private) + d->buffer.capacity()
        + d->header->regexCount * sizeof(std::atomic<pcre2_code *>);
}

int FilterEngine::ruleCount() const
{
    return static_cast<int>(d->rules.size + d->hideRules.size);
}

int FilterEngine::listCount() const
{
    return static_cast<int>(d->header->listCount);
}

ListStats FilterEngine::listStats(int list) const
{
    ListStats stats;
    int current = -1;
    std::string_view rest = d->lists;
    while (!rest.empty()) {
        std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        std::size_t tab1 = line.find('\t');
        std::size_t tab2 = line.rfind('\t');
        if (tab1 == std::string_view::npos || tab2 <= tab1)
            continue;
        std::string_view first = line.substr(tab1 + 1, tab2 - tab1 - 1);
        int number = std::atoi(std::string(line.substr(tab2 + 1)).c_str());
        if (line[0] == 'L') {
            if (++current == list) {
                stats.understood = std::atoi(std::string(first).c_str());
                stats.skipped = number;
            }
        } else if (line[0] == 'R' && current == list) {
            stats.skippedReasons[std::string(first)] = number;
        }
    }
    return stats;
}

} // namespace guard
