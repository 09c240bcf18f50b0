#pragma once

#include "app/Hosts.h"

#include <QString>

// What a keyword does: open the keyword list, show the hidden message, or go to a site.
enum class KeywordTarget { KeywordList, EasterEgg, Site };

struct KeywordRow
{
    const char *keyword; // UTF-8
    KeywordTarget target;
    const char *host; // sites only
    const char *path; // sites only; empty for the site's root
};

// A small k followed by the section sign; known to the address box only and listed nowhere.
inline constexpr char EasterEggTrigger[] = "k\xC2\xA7";

// In the order the rows are tested.
inline constexpr KeywordRow KeywordTable[] = {
    {"keywords", KeywordTarget::KeywordList, nullptr, nullptr},
    {EasterEggTrigger, KeywordTarget::EasterEgg, nullptr, nullptr},
    {"dd", KeywordTarget::Site, hosts::ParasiteInfo, "/parasite/"},
    {"bbc", KeywordTarget::Site, hosts::BBC, ""},
    {"drivers", KeywordTarget::Site, hosts::DriverGuide, ""},
    {"plume", KeywordTarget::Site, hosts::PersonalSite, ""},
    {"hosting", KeywordTarget::Site, hosts::Inspiratech, ""},
    {"fa", KeywordTarget::Site, hosts::FreewareArena, ""},
    {"fh", KeywordTarget::Site, hosts::FreewareHome, ""},
    {"qv", KeywordTarget::Site, hosts::MakerFanSite, ""},
    {"news", KeywordTarget::Site, hosts::BBCNews, "/"},
    {"pc support", KeywordTarget::Site, hosts::ComputerHope, ""},
    {"ql", KeywordTarget::Site, hosts::QuantumIllusions, "/"},
    {"senior", KeywordTarget::Site, hosts::Seniority, ""},
    {"submit", KeywordTarget::Site, hosts::Maker, "/main_content/sitesubmit.asp"},
    {"support", KeywordTarget::Site, hosts::Maker, "/support"},
    {"tcpa", KeywordTarget::Site, hosts::AgainstTcpa, ""},
    {"tech news", KeywordTarget::Site, hosts::TheRegister, ""},
    {"translate", KeywordTarget::Site, hosts::FreeTranslation, ""},
    {"update", KeywordTarget::Site, hosts::Maker, "/support"},
    {"wg", KeywordTarget::Site, hosts::WebGrid, ""},
    {"zp2", KeywordTarget::Site, hosts::ZeroPlus2, "/index.html"},
};

inline QString KeywordText(const KeywordRow &row)
{
    return QString::fromUtf8(row.keyword);
}

// The address a site keyword goes to.
QString KeywordAddress(const KeywordRow &row);
