// The settings store over any bytes in its file: every key the program reads, then a
// write and a read back.
#include "FuzzFiles.h"
#include "compat/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    scratch();
    const QString path = compat::SettingsFilePath();
    writeBytes(path, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    for (const char *key :
         {"Start Page", "Home Page", "Search-Engine", "Bground", "ShowSplash", "Tips", "Log",
          "PProg", "PSec", "PSet", "Passcode", "TB", "GoBtn", "ProgressBar"})
        compat::GetSetting(QLatin1String(key), QStringLiteral("default"));
    compat::SaveSetting(QStringLiteral("Start Page"), QStringLiteral("http://127.0.0.1/"));
    if (compat::GetSetting(QStringLiteral("Start Page")) != QLatin1String("http://127.0.0.1/"))
        __builtin_trap();
    return 0;
}
