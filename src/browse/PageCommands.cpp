#include "browse/PageCommands.h"

#include "app/App.h"
#include "app/CommandWiring.h"
#include "app/Forms.h"
#include "app/Hosts.h"
#include "app/MDIForm1.h"
#include "browse/Form1.h"
#include "browse/Ope.h"
#include "compat/Shell.h"
#include "engine/WebBrowser.h"
#include "info/About.h"
#include "info/Licence.h"

#include <QAction>
#include <QComboBox>
#include <QUrl>

#include <exception>

namespace PageCommands {

namespace {

engine::WebBrowserControl *browser()
{
    return Forms::get<Form1>()->WebBrowser1;
}

// Save, Print and View Source skip a failing step without a word.
template<class F> void ignoringErrors(F step)
{
    try {
        step();
    } catch (const std::exception &) {
    }
}

} // namespace

QString SendLinkAddress(const QString &pageUrl)
{
    // The page address is one value of the mail address: its "&", "#", "%", blanks and
    // other characters are encoded so the mail program gets it whole, not cut at "&".
    return QStringLiteral("mailto:") + QLatin1String(hosts::SendLinkRecipient)
        + QStringLiteral("?subject=I thought you might find this interesting&body=")
        + QString::fromLatin1(QUrl::toPercentEncoding(pageUrl, "/:"));
}

QString SuggestionAddress()
{
    return QStringLiteral("mailto:") + QLatin1String(hosts::MakerSuggestionMailbox)
        + QStringLiteral("?subject=Scoutwell Suggestion");
}

QString ReportBugAddress()
{
    return QLatin1String(hosts::Maker) + QStringLiteral("/forum");
}

QString HelpProgramPath()
{
    return app::ProgramFolder() + QStringLiteral("/Help");
}

void FOpen_Click()
{
    Forms::Show<Ope>();
}

void FSaveWP_Click()
{
    // Option 2 is what the menu has always passed; the control's save as asks where to
    // save whatever the option says.
    ignoringErrors([] { browser()->ExecWB(engine::OLECMDID_SAVEAS, 2); });
}

void FPrint_Click()
{
    ignoringErrors(
        [] { browser()->ExecWB(engine::OLECMDID_PRINT, engine::OLECMDEXECOPT_DODEFAULT); });
}

void mnuPPreview_Click()
{
    browser()->ExecWB(engine::OLECMDID_PRINTPREVIEW, engine::OLECMDEXECOPT_DODEFAULT, QVariant(),
                      nullptr);
}

void FViewSource_Click()
{
    ignoringErrors([] {
        if (Forms::get<MDIForm1>()->address().isEmpty())
            return;
        engine::WebBrowserControl *control = browser();
        control->Navigate(QStringLiteral("view-source:") + control->LocationURL());
    });
}

void mnuTSendLink_Click()
{
    const QString address = SendLinkAddress(browser()->LocationURL());
    compat::ShellExecuteA(Forms::get<MDIForm1>(), QStringLiteral("open"), address, QString(),
                          QString(), compat::SW_SHOWNORMAL);
}

void mnuTWinUpdate_Click()
{
    browser()->Navigate(QLatin1String(hosts::WindowsUpdate));
}

void HHel_Click()
{
    // A missing help program is not reported.
    compat::ShellExecuteA(Forms::get<MDIForm1>(), QStringLiteral("open"), HelpProgramPath(),
                          QString(), QString(), compat::SW_SHOWNORMAL);
}

void HAbout_Click()
{
    Forms::Show<About>();
}

void HLicence_Click()
{
    Forms::Show<Licence>();
}

void HRep_Click()
{
    browser()->Navigate(ReportBugAddress());
}

void HSuggestions_Click()
{
    browser()->Navigate(SuggestionAddress());
}

} // namespace PageCommands

void wirePageCommands(MDIForm1 *main)
{
    using namespace PageCommands;
    const struct
    {
        QAction *item;
        void (*handler)();
    } commands[] = {
        {main->FOpen, &FOpen_Click},
        {main->FSaveWP, &FSaveWP_Click},
        {main->FPrint, &FPrint_Click},
        {main->mnuPPreview, &mnuPPreview_Click},
        {main->FViewSource, &FViewSource_Click},
        {main->mnuTSendLink, &mnuTSendLink_Click},
        {main->mnuTWinUpdate, &mnuTWinUpdate_Click},
        {main->HHel, &HHel_Click},
        {main->HAbout, &HAbout_Click},
        {main->HLicence, &HLicence_Click},
        {main->HRep, &HRep_Click},
        {main->HSuggestions, &HSuggestions_Click},
    };
    for (const auto &c : commands)
        QObject::connect(c.item, &QAction::triggered, main, c.handler);
}
