#pragma once

// Marks a step of the start-up for the start-up benchmark: one line on standard error with
// the monotonic clock in milliseconds, so a bench that noted the clock when it started the
// process can tell how long each step took. Silent unless the "scoutwell.startup" logging
// category is switched on (QT_LOGGING_RULES="scoutwell.startup.debug=true").
namespace app {
void StartupTrace(const char *step, const char *detail = nullptr);
}
