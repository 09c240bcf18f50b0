#pragma once

#include <QString>

// The File, Tools and Help menu commands that act on the page shown or leave the program
// for another one (the mail program, the web, the help program).
namespace PageCommands {

// "mailto:" + recipient + "?subject=I thought you might find this interesting&body=" +
// the page's address, exactly as the address is: nothing is encoded.
QString SendLinkAddress(const QString &pageUrl);
// The maker's suggestion mailbox with the subject "Scoutwell Suggestion".
QString SuggestionAddress();
// The maker's forum.
QString ReportBugAddress();
// The help program beside the executable.
QString HelpProgramPath();

void FOpen_Click();
void FSaveWP_Click();
void FPrint_Click();
void mnuPPreview_Click();
void FViewSource_Click();
void mnuTSendLink_Click();
void mnuTWinUpdate_Click();
void HHel_Click();
void HAbout_Click();
void HLicence_Click();
void HRep_Click();
void HSuggestions_Click();

} // namespace PageCommands
