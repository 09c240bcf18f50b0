#include "guard/UrlParts.h"

#include <libpsl.h>

namespace guard::detail {

HostSpan findHost(std::string_view url)
{
    HostSpan span;
    std::size_t scheme = url.find("://");
    if (scheme == std::string_view::npos)
        return span;
    for (std::size_t i = 0; i < scheme; ++i) {
        unsigned char c = static_cast<unsigned char>(url[i]);
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+'
              || c == '-' || c == '.'))
            return span;
    }
    std::size_t begin = scheme + 3;
    std::size_t end = url.find_first_of("/?#", begin);
    if (end == std::string_view::npos)
        end = url.size();
    std::string_view authority = url.substr(begin, end - begin);
    std::size_t at = authority.rfind('@');
    if (at != std::string_view::npos) {
        begin += at + 1;
        authority = url.substr(begin, end - begin);
    }
    if (!authority.empty() && authority.front() == '[') {
        std::size_t close = authority.find(']');
        if (close == std::string_view::npos)
            return span;
        span.begin = begin + 1;
        span.end = begin + close;
        return span;
    }
    std::size_t colon = authority.find(':');
    if (colon != std::string_view::npos)
        end = begin + colon;
    span.begin = begin;
    span.end = end;
    return span;
}

namespace {

const psl_ctx_t *suffixList()
{
    // The system's list (Debian's publicsuffix package), else the one built into libpsl.
    static const psl_ctx_t *psl = [] {
        const psl_ctx_t *p = psl_latest(nullptr);
        return p ? p : psl_builtin();
    }();
    return psl;
}

bool isIpAddress(std::string_view host)
{
    if (host.find(':') != std::string_view::npos)
        return true;
    if (host.empty())
        return false;
    for (char c : host)
        if (!((c >= '0' && c <= '9') || c == '.'))
            return false;
    return true;
}

} // namespace

namespace {

std::string_view askSuffixList(std::string_view host)
{
    if (host.empty() || isIpAddress(host) || host.find('.') == std::string_view::npos)
        return host;
    const psl_ctx_t *psl = suffixList();
    if (!psl)
        return host;
    // libpsl wants a terminated string; hosts longer than this are compared whole.
    char buffer[256];
    if (host.size() >= sizeof buffer)
        return host;
    host.copy(buffer, host.size());
    buffer[host.size()] = '\0';
    const char *domain = psl_registrable_domain(psl, buffer);
    if (!domain)
        return host;
    return host.substr(static_cast<std::size_t>(domain - buffer));
}

// The last two labels: hosts that differ there cannot share a registrable domain, which has
// at least two.
std::string_view lastTwoLabels(std::string_view host)
{
    std::size_t dot = host.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return host;
    dot = host.rfind('.', dot - 1);
    return dot == std::string_view::npos ? host : host.substr(dot + 1);
}

} // namespace

std::string_view registrableDomain(std::string_view host)
{
    // The suffix list takes about a microsecond a host; a page asks for the same few hosts
    // again and again, so each thread keeps the last answers (no locks: its own copy).
    struct Entry
    {
        std::uint64_t hash = 0;
        std::uint32_t length = 0;
        std::uint32_t skip = 0;
    };
    thread_local Entry cache[256];
    std::uint64_t h = hash64(host);
    Entry &e = cache[h & 255];
    if (e.hash == h && e.length == host.size())
        return host.substr(e.skip);
    std::string_view domain = askSuffixList(host);
    e.hash = h;
    e.length = static_cast<std::uint32_t>(host.size());
    e.skip = static_cast<std::uint32_t>(host.size() - domain.size());
    return domain;
}

bool sameSite(std::string_view a, std::string_view b)
{
    if (a == b)
        return true;
    if (lastTwoLabels(a) != lastTwoLabels(b))
        return false;
    return registrableDomain(a) == registrableDomain(b);
}

} // namespace guard::detail
