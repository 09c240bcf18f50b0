#pragma once

#include <QString>

// Keyword navigation: short words that jump straight to a chosen site.
namespace basKeywords {

// Enter in the main window's address box: a keyword goes to its site (or opens the keyword
// list); any other text is navigated to exactly as typed.
void RunAddressKeyword(const QString &text);

// GO! in the go-to-keyword window: a keyword goes to its site (or opens the keyword list),
// anything else is refused with a message. The window closes after every attempt.
void RunGoToKeyword(const QString &text);

} // namespace basKeywords
