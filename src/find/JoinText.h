#pragma once

#include <array>
#include <cstddef>

// Joins string literals and host constants into one constant text when the program is
// compiled, so a fixed address can name a host from the hosts table more than once.
template<std::size_t... N> consteval auto joinText(const char (&...parts)[N])
{
    std::array<char, ((N - 1) + ... + 0) + 1> out {};
    std::size_t at = 0;
    const auto append = [&](const char *part, std::size_t size) {
        for (std::size_t i = 0; i + 1 < size; ++i)
            out[at++] = part[i];
    };
    (append(parts, N), ...);
    out[at] = '\0';
    return out;
}
