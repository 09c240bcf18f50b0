#pragma once

// The main window's Tools > Security and Tools > Settings: each reads its lock flag afresh
// into the security window's carrier and decides on the carrier's text. "0" and "" open
// the window, "1" asks for the passcode first, anything else does nothing.
void TSecurity_Click();
void TSettings_Click();
