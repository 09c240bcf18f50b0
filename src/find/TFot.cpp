#include "find/TFot.h"

#include "find/EngineTable.h"

namespace {

constexpr char kEnginePrompt[] = "Search Engine";

} // namespace

QString TFot::EnginePrompt()
{
    return QLatin1String(kEnginePrompt);
}

TFot::TFot()
    : SearchWindow(
        {"Find on the web",
         "cboSE",
         kEnginePrompt,
         {QStringLiteral("Altavista"), QStringLiteral("AOL"), QStringLiteral("Ask Jeeves"),
          QStringLiteral("DogPile"), QStringLiteral("Google"), QStringLiteral("Yahoo")},
         EngineTable,
         nullptr,
         "No search engine selected\n\nPlease choose a search engine and try again",
         usersites::List::Engines}),
      cboSE(m_list)
{
}
