#include "find/FFw.h"

#include "find/SiteSearchTable.h"

namespace {

constexpr char kSitePrompt[] = "Freeware Site";

} // namespace

QString FFw::SitePrompt()
{
    return QLatin1String(kSitePrompt);
}

FFw::FFw()
    : SearchWindow(
        {"Scoutwell Search Engine",
         "cboFS",
         kSitePrompt,
         {QStringLiteral("CNet"), QLatin1String(CnetBrandName), QStringLiteral("File Transit"),
          QStringLiteral("Freeware Arena"), QStringLiteral("Freeware World Team"),
          QStringLiteral("Jumbo"), QStringLiteral("PCAnswers"), QStringLiteral("Tucows"),
          QStringLiteral("WinFiles")},
         SiteSearchTable,
         "Site:",
         nullptr,
         usersites::List::Freeware}),
      cboFS(m_list), Label3(m_listCaption)
{
}
