#include "find/basKeywords.h"

#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "browse/Form1.h"
#include "compat/Dialogs.h"
#include "engine/WebBrowser.h"
#include "find/KeywordTable.h"
#include "find/frmGoToKeyword.h"
#include "find/frmKeywords.h"

#include <QComboBox>
#include <QLineEdit>

namespace basKeywords {

namespace {

void navigate(const QString &address)
{
    Forms::get<Form1>()->WebBrowser1->Navigate(address);
}

// Tries the site keywords in table order; true when one matched and was followed.
bool goToSiteKeyword(const QString &text)
{
    for (const KeywordRow &row : KeywordTable) {
        if (row.target == KeywordTarget::Site && text == KeywordText(row)) {
            navigate(KeywordAddress(row));
            return true;
        }
    }
    return false;
}

bool isKeywordList(const QString &text)
{
    return text == KeywordText(KeywordTable[0]);
}

} // namespace

void RunAddressKeyword()
{
    const QString text = Forms::get<MDIForm1>()->Combo1->currentText();
    if (isKeywordList(text)) {
        Forms::Show<frmKeywords>();
        return;
    }
    if (text == QString::fromUtf8(EasterEggTrigger)) {
        compat::MsgBox(
            QStringLiteral("This program is dedicated to the freeware world and all that it "
                           "resembles.\n\n\u00a9 2000-2003 Kestrelmoor Works. All rights "
                           "reserved."),
            compat::vbOKOnly, QStringLiteral("You've found the easter egg"));
        return;
    }
    if (goToSiteKeyword(text))
        return;
    navigate(text);
}

void RunGoToKeyword()
{
    const QString text = Forms::get<frmGoToKeyword>()->txtGTKeyword->text();
    if (isKeywordList(text))
        Forms::Show<frmKeywords>();
    else if (!goToSiteKeyword(text))
        compat::MsgBox(QStringLiteral("Invalid keyword, please check and try again"),
                       compat::vbOKOnly, QStringLiteral("Keyword Error"));
    Forms::Unload<frmGoToKeyword>();
}

} // namespace basKeywords
