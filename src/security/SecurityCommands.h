#pragma once

// The main window's Tools > Security and Tools > Settings: each reads its lock switch (which
// its carrier then shows) and decides on the text read. "0" and "" open
// the window, "1" asks for the passcode first, anything else does nothing.
void TSecurity_Click();
void TSettings_Click();
