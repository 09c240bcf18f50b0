#include "app/StartupTrace.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QTimer>

#include <time.h>

namespace app {

Q_LOGGING_CATEGORY(lcStartup, "scoutwell.startup", QtWarningMsg)

void StartupTrace(const char *step, const char *detail)
{
    if (!lcStartup().isDebugEnabled())
        return;
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    const double ms = now.tv_sec * 1e3 + now.tv_nsec / 1e6;
    qCDebug(lcStartup, "%.3f %s%s%s", ms, step, detail ? " " : "", detail ? detail : "");
}

namespace {

// The steps before the program's own code runs, marked without a line in main(): the
// program image loaded, the application object made, and the event loop's first turn.
[[maybe_unused]] const bool imageLoaded = (StartupTrace("image loaded"), true);

void applicationMade()
{
    if (!lcStartup().isDebugEnabled())
        return;
    StartupTrace("application made");
    QTimer::singleShot(0, [] { StartupTrace("event loop"); });
}
Q_COREAPP_STARTUP_FUNCTION(applicationMade)

} // namespace

} // namespace app
