#pragma once

// Current sources of free software a user may add to Find Freeware with one click; nothing
// is added unless asked.
struct SiteSuggestion
{
    const char *name;
    const char *address;
};

inline constexpr SiteSuggestion SiteSuggestions[] = {
    {"Debian packages",
     "https://packages.debian.org/"
     "search?keywords={keyword}&searchon=names&suite=stable&section=all"},
    {"Flathub", "https://flathub.org/apps/search?q={keyword}"},
    {"SourceForge", "https://sourceforge.net/directory/?q={keyword}"},
    {"GitHub repositories", "https://github.com/search?q={keyword}&type=repositories"},
    {"AlternativeTo", "https://alternativeto.net/browse/search/?q={keyword}"},
};
