#include "guard/FilterParser.h"

#include "guard/UrlParts.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <array>

namespace guard {

namespace {

struct TypeName
{
    std::string_view name;
    ResourceType type;
};

constexpr std::array<TypeName, 22> TypeNames = {{
    {"other", ResourceType::Other},         {"script", ResourceType::Script},
    {"image", ResourceType::Image},         {"stylesheet", ResourceType::Stylesheet},
    {"css", ResourceType::Stylesheet},      {"subdocument", ResourceType::Subdocument},
    {"frame", ResourceType::Subdocument},   {"xmlhttprequest", ResourceType::XmlHttpRequest},
    {"xhr", ResourceType::XmlHttpRequest},  {"fetch", ResourceType::XmlHttpRequest},
    {"media", ResourceType::Media},         {"font", ResourceType::Font},
    {"object", ResourceType::Object},       {"ping", ResourceType::Ping},
    {"beacon", ResourceType::Ping},         {"websocket", ResourceType::WebSocket},
    {"document", ResourceType::Document},   {"doc", ResourceType::Document},
    {"main_frame", ResourceType::Document}, {"sub_frame", ResourceType::Subdocument},
    {"popup", ResourceType::Popup},         {"object-subrequest", ResourceType::Object},
}};

bool equalsLower(std::string_view a, std::string_view lowerB)
{
    if (a.size() != lowerB.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (detail::lower(a[i]) != lowerB[i])
            return false;
    return true;
}

} // namespace

bool resourceTypeFromName(std::string_view name, ResourceType *out)
{
    for (const TypeName &t : TypeNames) {
        if (equalsLower(name, t.name)) {
            if (out)
                *out = t.type;
            return true;
        }
    }
    return false;
}

const char *resourceTypeName(ResourceType type)
{
    static const char *const names[]
        = {"other", "script", "image", "stylesheet", "subdocument", "xmlhttprequest", "media",
           "font",  "object", "ping",  "websocket",  "document",    "popup"};
    auto i = static_cast<std::size_t>(type);
    return i < std::size(names) ? names[i] : "other";
}

namespace detail {

namespace {

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::string toLower(std::string_view s)
{
    std::string out(s);
    for (char &c : out)
        c = lower(c);
    return out;
}

ParsedLine unsupported(std::string reason)
{
    ParsedLine p;
    p.kind = LineVerdict::Unsupported;
    p.reason = std::move(reason);
    return p;
}

// A host name as a hosts file or a bare-host list writes it: labels of letters, digits, - and
// _, at least two, the last a name of letters or the whole an IPv4 address.
bool isHostName(std::string_view s)
{
    if (s.empty() || s.size() > 253 || s.front() == '.' || s.back() == '.')
        return false;
    int labels = 0;
    bool allNumeric = true;
    std::string_view last;
    std::size_t start = 0;
    while (start <= s.size()) {
        std::size_t dot = s.find('.', start);
        if (dot == std::string_view::npos)
            dot = s.size();
        std::string_view label = s.substr(start, dot - start);
        if (label.empty() || label.front() == '-' || label.back() == '-')
            return false;
        for (char c : label) {
            if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_'))
                return false;
            if (!(c >= '0' && c <= '9'))
                allNumeric = false;
        }
        ++labels;
        last = label;
        start = dot + 1;
    }
    if (labels < 2)
        return false;
    if (allNumeric)
        return labels == 4;
    if (last.size() < 2)
        return false;
    return std::all_of(
               last.begin(), last.end(),
               [](char c) { return (c >= 'a' && c <= 'z') || c == '-' || (c >= '0' && c <= '9'); })
        && !(last[0] >= '0' && last[0] <= '9');
}

// "a.com|~b.com" (sep '|') or "a.com,~b.com" (sep ','); false with a reason for what it
// cannot take: an entity ("example.*") or a regular expression.
bool parseDomains(std::string_view list, char sep, std::vector<DomainEntry> *out,
                  std::string *reason)
{
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(sep, start);
        if (end == std::string_view::npos)
            end = list.size();
        std::string_view item = trim(list.substr(start, end - start));
        start = end + 1;
        bool negated = false;
        if (!item.empty() && item.front() == '~') {
            negated = true;
            item.remove_prefix(1);
        }
        if (item.empty()) {
            *reason = "empty domain";
            return false;
        }
        if (item.front() == '/') {
            *reason = "regex domain";
            return false;
        }
        if (item.find('*') != std::string_view::npos) {
            *reason = "domain entity";
            return false;
        }
        for (char c : item) {
            if (c == ' ' || c == '/' || c == '#' || c == '$' || c == '|' || c == ',' || c == '=') {
                *reason = "invalid domain";
                return false;
            }
        }
        out->emplace_back(toLower(item), negated);
    }
    return true;
}

constexpr std::string_view ProceduralOperators[] = {
    ":has(",
    ":has-text(",
    ":-abp-has(",
    ":-abp-contains(",
    ":-abp-properties(",
    ":contains(",
    ":xpath(",
    ":upward(",
    ":matches-css(",
    ":matches-css-before(",
    ":matches-css-after(",
    ":matches-path(",
    ":matches-attr(",
    ":matches-prop(",
    ":matches-media(",
    ":min-text-length(",
    ":watch-attr(",
    ":watch-attrs(",
    ":others(",
    ":if(",
    ":if-not(",
    ":nth-ancestor(",
    ":remove(",
    ":remove-attr(",
    ":remove-class(",
    ":shadow(",
    ":spath(",
    ":not(:has(",
    ":has-text",
    ":matches-css",
    ":-abp-",
    ":xpath",
    ":upward",
};

// A selector that could close the style rule it is put in, open a comment or leave a string
// open would take the selectors after it down with it: braces outside strings, "/*",
// unbalanced quotes, brackets or parentheses, a trailing backslash.
bool safeSelector(std::string_view s)
{
    char quote = 0;
    int brackets = 0;
    int parens = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c == '\\') {
            if (++i >= s.size())
                return false;
            continue;
        }
        if (c == '\0' || c == '\n')
            return false;
        if (c == '/' && i + 1 < s.size() && s[i + 1] == '*')
            return false;
        if (quote) {
            if (c == quote)
                quote = 0;
            continue;
        }
        switch (c) {
        case '"':
        case '\'':
            quote = c;
            break;
        case '{':
        case '}':
        case ';':
            return false;
        case '[':
            ++brackets;
            break;
        case ']':
            if (--brackets < 0)
                return false;
            break;
        case '(':
            ++parens;
            break;
        case ')':
            if (--parens < 0)
                return false;
            break;
        default:
            break;
        }
    }
    return !quote && brackets == 0 && parens == 0;
}

ParsedLine parseHiding(std::string_view line, std::size_t at, std::size_t sepLen, bool exception)
{
    std::string_view domains = line.substr(0, at);
    std::string_view selector = trim(line.substr(at + sepLen));
    if (selector.empty())
        return unsupported("invalid selector");
    if (selector.substr(0, 4) == "+js(")
        return unsupported("scriptlet");
    if (selector.front() == '^')
        return unsupported("html filter");
    if (selector.find(":style(") != std::string_view::npos)
        return unsupported("style injection");
    std::string lowered = toLower(selector);
    for (std::string_view op : ProceduralOperators)
        if (lowered.find(op) != std::string::npos)
            return unsupported("procedural selector");
    if (!safeSelector(selector)) {
        // "selector {declarations}" sets a style of the list's choosing
        bool styled = selector.back() == '}' && selector.find('{') != std::string_view::npos;
        return unsupported(styled ? "style injection" : "invalid selector");
    }
    ParsedLine p;
    p.kind = LineVerdict::Hiding;
    p.hiding.text = std::string(line);
    p.hiding.selector = std::string(selector);
    p.hiding.exception = exception;
    if (!domains.empty()) {
        std::string reason;
        if (!parseDomains(domains, ',', &p.hiding.domains, &reason))
            return unsupported(reason);
    }
    return p;
}

bool validRegex(const std::string &pattern, bool matchCase)
{
    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code *code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                     matchCase ? 0u : PCRE2_CASELESS, &error, &offset, nullptr);
    if (!code)
        return false;
    pcre2_code_free(code);
    return true;
}

bool startsWithOption(std::string_view s)
{
    std::size_t i = !s.empty() && s[0] == '~' ? 1 : 0;
    std::size_t start = i;
    while (i < s.size()
           && ((s[i] >= 'a' && s[i] <= 'z') || (s[i] >= 'A' && s[i] <= 'Z')
               || (s[i] >= '0' && s[i] <= '9') || s[i] == '-' || s[i] == '_'))
        ++i;
    return i > start && (i == s.size() || s[i] == ',' || s[i] == '=');
}

ParsedLine parseNetwork(std::string_view line)
{
    ParsedLine p;
    p.kind = LineVerdict::Network;
    NetworkFilter &f = p.network;
    f.text = std::string(line);
    std::string_view rest = line;
    if (rest.substr(0, 2) == "@@") {
        f.exception = true;
        rest.remove_prefix(2);
    }
    // Options follow the last $, except in a regular expression that ends the line.
    std::string_view pattern = rest;
    std::string_view options;
    bool regexLine = rest.size() >= 2 && rest.front() == '/' && rest.back() == '/';
    if (!regexLine) {
        // The last $ that an option name follows: a value (a regular expression) may hold
        // a $ of its own.
        std::size_t dollar = rest.rfind('$');
        while (dollar != std::string_view::npos && dollar > 0
               && !startsWithOption(rest.substr(dollar + 1)))
            dollar = rest.rfind('$', dollar - 1);
        if (dollar != std::string_view::npos && !startsWithOption(rest.substr(dollar + 1)))
            dollar = rest.rfind('$');
        if (dollar != std::string_view::npos) {
            pattern = rest.substr(0, dollar);
            options = rest.substr(dollar + 1);
            if (options.empty())
                return unsupported("invalid options");
        }
    }
    std::uint32_t positive = 0;
    std::uint32_t negative = 0;
    bool hideOnly = false;
    std::size_t start = 0;
    while (!options.empty() && start <= options.size()) {
        std::size_t end = options.find(',', start);
        if (end == std::string_view::npos)
            end = options.size();
        std::string_view opt = trim(options.substr(start, end - start));
        start = end + 1;
        if (opt.empty())
            return unsupported("invalid options");
        bool neg = opt.front() == '~';
        if (neg)
            opt.remove_prefix(1);
        std::size_t eq = opt.find('=');
        std::string name = toLower(opt.substr(0, eq));
        std::string_view value
            = eq == std::string_view::npos ? std::string_view() : opt.substr(eq + 1);
        bool hasValue = eq != std::string_view::npos;
        ResourceType type;
        if (!hasValue && (name == "third-party" || name == "3p")) {
            f.party = neg ? FirstParty : ThirdParty;
        } else if (!hasValue && (name == "first-party" || name == "1p")) {
            f.party = neg ? ThirdParty : FirstParty;
        } else if (!hasValue && !neg && name == "match-case") {
            f.matchCase = true;
        } else if (!hasValue && !neg && name == "important") {
            f.important = !f.exception;
        } else if (!hasValue && !neg && name == "all") {
            positive |= AllTypes;
        } else if (!hasValue && resourceTypeFromName(name, &type)) {
            (neg ? negative : positive) |= typeBit(type);
        } else if (hasValue && !neg && (name == "domain" || name == "from")) {
            std::string reason;
            if (!parseDomains(value, '|', &f.domains, &reason))
                return unsupported(reason);
        } else if (hasValue && !neg && name == "to") {
            std::string reason;
            if (!parseDomains(value, '|', &f.to, &reason))
                return unsupported(reason);
        } else if (!hasValue && !neg && f.exception && (name == "elemhide" || name == "ehide")) {
            f.elemHide = hideOnly = true;
        } else if (!hasValue && !neg && f.exception && (name == "generichide" || name == "ghide")) {
            f.genericHide = hideOnly = true;
        } else if (hasValue && !neg && name == "reason") {
            // The list's own words for the warning page; nothing to match.
        } else {
            return unsupported("option " + name);
        }
    }
    if (positive)
        f.types = positive & ~negative;
    else if (negative)
        f.types = DefaultTypes & ~negative;
    else if (hideOnly)
        f.types = 0; // a hiding exception alone lets no request through
    if (f.types == 0 && !hideOnly)
        return unsupported("no resource type left");

    if (pattern.size() >= 2 && pattern.front() == '/' && pattern.back() == '/') {
        f.regex = true;
        f.pattern = std::string(pattern.substr(1, pattern.size() - 2));
        if (!validRegex(f.pattern, f.matchCase))
            return unsupported("invalid regex");
        return p;
    }
    if (pattern.find_first_of(" \t") != std::string_view::npos)
        return unsupported("invalid pattern");
    if (pattern.substr(0, 2) == "||") {
        f.anchor = Anchor::Host;
        pattern.remove_prefix(2);
    } else if (pattern.substr(0, 1) == "|") {
        f.anchor = Anchor::Start;
        pattern.remove_prefix(1);
    } else if (options.empty() && !f.exception && isHostName(toLower(pattern))) {
        // A bare host name, as address lists are written: the host and its subdomains.
        f.anchor = Anchor::Host;
        f.pattern = toLower(pattern) + "^";
        f.types |= typeBit(ResourceType::Document);
        return p;
    }
    if (!pattern.empty() && pattern.back() == '|') {
        f.endAnchor = true;
        pattern.remove_suffix(1);
    }
    // A | inside the pattern is the character itself.
    if (f.anchor == Anchor::None)
        while (!pattern.empty() && pattern.front() == '*')
            pattern.remove_prefix(1);
    if (!f.endAnchor)
        while (!pattern.empty() && pattern.back() == '*')
            pattern.remove_suffix(1);
    f.pattern = f.matchCase ? std::string(pattern) : toLower(pattern);
    // A filter that names a host and nothing more ("||host^") keeps the user off the host
    // itself too: the address lists are written so, and the other engines read them so.
    if (options.empty() && !f.exception && f.anchor == Anchor::Host && !f.endAnchor
        && f.pattern.size() > 1 && f.pattern.back() == '^'
        && isHostName(std::string_view(f.pattern).substr(0, f.pattern.size() - 1)))
        f.types |= typeBit(ResourceType::Document);
    return p;
}

} // namespace

ParsedLine parseLine(std::string_view raw)
{
    std::string_view line = trim(raw);
    if (line.empty() || line.front() == '!' || (line.front() == '[' && line.back() == ']'))
        return {};
    // Element hiding and its relatives: the first # that starts a separator.
    struct Separator
    {
        std::string_view text;
        const char *reason; // nullptr: supported
        bool exception;
    };
    static constexpr Separator separators[] = {
        {"#@$?#", "snippet", true},
        {"#@?#", "extended selector", true},
        {"#@$#", "snippet", true},
        {"#@%#", "snippet", true},
        {"#@#", nullptr, true},
        {"#$?#", "snippet", false},
        {"#?#", "extended selector", false},
        {"#$#", "snippet", false},
        {"#%#", "snippet", false},
        {"##", nullptr, false},
    };
    for (std::size_t at = line.find('#'); at != std::string_view::npos;
         at = line.find('#', at + 1)) {
        for (const Separator &s : separators) {
            if (line.substr(at, s.text.size()) == s.text) {
                if (s.reason)
                    return unsupported(s.reason);
                return parseHiding(line, at, s.text.size(), s.exception);
            }
        }
    }
    if (line.front() == '#')
        return {}; // a hosts file's comment
    if (line.find("$$") != std::string_view::npos || line.find("$@$") != std::string_view::npos)
        return unsupported("html filter");
    // A hosts file's line: "0.0.0.0 host".
    std::size_t blank = line.find_first_of(" \t");
    if (blank != std::string_view::npos) {
        std::string_view address = line.substr(0, blank);
        std::string_view host = trim(line.substr(blank));
        if ((address == "0.0.0.0" || address == "127.0.0.1" || address == "::" || address == "::1")
            && host.find_first_of(" \t") == std::string_view::npos) {
            std::string lowered = toLower(host);
            if (lowered == "localhost" || lowered == "0.0.0.0" || lowered == "local")
                return {};
            if (!isHostName(lowered))
                return unsupported("invalid pattern");
            ParsedLine p;
            p.kind = LineVerdict::Network;
            p.network.text = std::string(line);
            p.network.anchor = Anchor::Host;
            p.network.pattern = lowered + "^";
            p.network.types |= typeBit(ResourceType::Document);
            return p;
        }
    }
    return parseNetwork(line);
}

} // namespace detail

LineVerdict FilterCompiler::classify(std::string_view line)
{
    detail::ParsedLine p = detail::parseLine(line);
    return LineVerdict {p.kind, p.reason};
}

} // namespace guard
