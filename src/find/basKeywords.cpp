#include "find/basKeywords.h"

#include "app/Forms.h"
#include "browse/basNav.h"
#include "compat/Dialogs.h"
#include "find/KeywordDecision.h"
#include "find/frmGoToKeyword.h"
#include "find/frmKeywords.h"

namespace basKeywords {

void RunAddressKeyword(const QString &text)
{
    const KeywordDecision d = DecideAddressText(text);
    switch (d.outcome) {
    case KeywordOutcome::KeywordList:
        Forms::Show<frmKeywords>();
        break;
    case KeywordOutcome::EasterEgg:
        compat::MsgBox(
            QStringLiteral("This program is dedicated to the freeware world and all that it "
                           "resembles.\n\n\u00a9 2000-2003 Kestrelmoor Works. All rights "
                           "reserved."),
            compat::vbOKOnly, QStringLiteral("You've found the easter egg"));
        break;
    case KeywordOutcome::Site:
    case KeywordOutcome::Address:
        basNav::Navigate(d.address);
        break;
    case KeywordOutcome::Invalid: // the address box refuses nothing
        break;
    }
}

void RunGoToKeyword(const QString &text)
{
    const KeywordDecision d = DecideGoToKeyword(text);
    if (d.outcome == KeywordOutcome::KeywordList)
        Forms::Show<frmKeywords>();
    else if (d.outcome == KeywordOutcome::Site)
        basNav::Navigate(d.address);
    else
        compat::MsgBox(QStringLiteral("Invalid keyword, please check and try again"),
                       compat::vbOKOnly, QStringLiteral("Keyword Error"));
    Forms::Unload<frmGoToKeyword>();
}

} // namespace basKeywords
