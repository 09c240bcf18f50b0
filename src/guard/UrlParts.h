#pragma once

// The pieces of an address the filters look at: its host, its tokens, the registrable domain
// of a host (through libpsl and the system's public suffix list), and the hashes that the
// compiled index is keyed by.

#include <cstdint>
#include <string_view>

namespace guard::detail {

// 64-bit FNV-1a: domain names and tokens are looked up by it in the compiled index.
inline std::uint64_t hash64(std::string_view s)
{
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (unsigned char c : s)
        h = (h ^ c) * 0x100000001b3ull;
    return h;
}

// Token hashes for the address index; never 0, which stands for "no token".
inline std::uint32_t tokenHash(std::string_view s)
{
    std::uint32_t h = 2166136261u;
    for (unsigned char c : s)
        h = (h ^ c) * 16777619u;
    return h ? h : 1;
}

inline bool isTokenChar(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || c == '%';
}

// What ^ stands for: anything but a letter, a digit or one of _ - . %
inline bool isSeparator(unsigned char c)
{
    return !((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'
             || c == '-' || c == '.' || c == '%');
}

inline char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// The host of an absolute address (without user, port or the brackets of an IPv6 address),
// as offsets into url; empty when the address has none ("about:blank", "https://").
struct HostSpan
{
    std::size_t begin = 0;
    std::size_t end = 0;
    bool empty() const { return begin == end; }
};
HostSpan findHost(std::string_view url);

// The registrable domain of a lower-case host: "news.example.co.uk" -> "example.co.uk". An IP
// address, a public suffix itself or a single label stands for itself.
std::string_view registrableDomain(std::string_view host);
// Whether two lower-case hosts share their registrable domain (first party).
bool sameSite(std::string_view a, std::string_view b);

} // namespace guard::detail
