#include "engine/EngineSetup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QStandardPaths>

#include <cstdio>
#include <unistd.h>

namespace engine {

QByteArray EngineFlagsFor(bool runningAsRoot, const QByteArray &flags)
{
    if (!runningAsRoot || flags.split(' ').contains("--no-sandbox"))
        return flags;
    return flags.isEmpty() ? QByteArray("--no-sandbox") : flags + " --no-sandbox";
}

void ConfigureBrowserEngine()
{
    // The graphics driver and Qt keep compiled shaders in caches of their own beside the
    // user's other caches; this program keeps every cache of its own in its cache folder.
    // Qt's is small and is skipped; the driver's is pointed at the program's cache folder
    // unless the user chose a place for it.
    QCoreApplication::setAttribute(Qt::AA_DisableShaderDiskCache);
    if (!qEnvironmentVariableIsSet("MESA_SHADER_CACHE_DIR")) {
        // The driver makes the last folder of the path only.
        const QString shaders
            = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
            + QStringLiteral("/ScoutwellV3/shaders");
        QDir().mkpath(shaders);
        qputenv("MESA_SHADER_CACHE_DIR", QFile::encodeName(shaders));
    }
    if (::geteuid() != 0)
        return;
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
            EngineFlagsFor(true, qgetenv("QTWEBENGINE_CHROMIUM_FLAGS")));
    std::fprintf(stderr, "scoutwell: running as root, so the browser engine's sandbox is off\n");
}

void QuietEngineMessages(bool verbose)
{
    if (verbose || qEnvironmentVariableIsSet("QT_LOGGING_RULES")
        || qEnvironmentVariableIsSet("QT_LOGGING_CONF"))
        return;
    // "qt.webenginecontext" describes the engine's graphics set-up at every start; "js" is
    // every page's console: both are for a developer, not for the user's terminal.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false\n"
                                                    "js=false\n"));
    // The engine's own log lines (a GPU hiccup it recovers from, say) likewise, unless the
    // user chose the engine's logging themselves.
    const QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--log-level") && !flags.contains("--enable-logging"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
                flags.isEmpty() ? QByteArray("--log-level=3") : flags + " --log-level=3");
}

} // namespace engine
