#include "browse/basNav.h"

#include "app/Forms.h"
#include "browse/Form1.h"
#include "engine/WebBrowser.h"
#include "settings/WorkingCopy.h"
#include "settings/frmSettings.h"

namespace basNav {

namespace {

engine::WebBrowserControl *browser()
{
    return Forms::get<Form1>()->WebBrowser1;
}

// An empty address would only blank the page or be refused by the browser; a person who
// has set no home (or search) page expects the button to leave the page alone. The settings
// window is hidden either way, as the command always does.
void navigateToPage(const QString &address)
{
    if (!address.isEmpty())
        browser()->Navigate(address);
    Forms::Hide<frmSettings>();
}

} // namespace

void Navigate(const QString &address)
{
    browser()->Navigate(address);
}

// A refused Back or Forward (nothing to go to) is left to the browser, which ignores it.
void NavBack()
{
    browser()->GoBack();
}

void NavForward()
{
    browser()->GoForward();
}

void NavStop()
{
    browser()->Stop();
}

void NavRefresh()
{
    engine::WebBrowserControl *b = browser();
    const QString address = b->LocationURL();
    if (!address.isEmpty())
        b->Navigate(address);
}

void NavHome()
{
    navigateToPage(settings::HomePage());
}

void NavSearch()
{
    navigateToPage(settings::SearchPage());
}

} // namespace basNav
