// The settings store over any bytes in its file: every key the program reads, then a
// write and a read back.
#include "FuzzFiles.h"
#include "platform/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    scratch();
    const QString path = platform::SettingsFilePath();
    writeBytes(path, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    for (const char *key :
         {"Start Page", "Home Page", "Search-Engine", "Bground", "ShowSplash", "Tips", "Log",
          "PProg", "PSec", "PSet", "Passcode", "TB", "GoBtn", "ProgressBar"})
        platform::GetSetting(QLatin1String(key), QStringLiteral("default"));
    platform::SaveSetting(QStringLiteral("Start Page"), QStringLiteral("http://127.0.0.1/"));
    if (platform::GetSetting(QStringLiteral("Start Page")) != QLatin1String("http://127.0.0.1/"))
        __builtin_trap();
    return 0;
}
