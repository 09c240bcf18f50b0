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

std::string_view registrableDomain(std::string_view host)
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

} // namespace guard::detail
