// The INI reader over any file bytes, looked up with any section and key names: the first
// line of the input is the section's name, the second the key's, the rest the file.
#include "FuzzFiles.h"
#include "compat/PrivateProfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static int round = 0;
    QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString section = QString::fromUtf8(takeLine(input));
    const QString key = QString::fromUtf8(takeLine(input));
    // A new name each time: a file rewritten within one tick of the clock at the same size
    // would look unchanged to the reader's cache.
    const QString path = scratch().filePath(QStringLiteral("p%1.ini").arg(++round));
    writeBytes(path, input);
    for (const int room : {0, 1, 255, 70000}) {
        QString buffer(room, QChar(u'#'));
        const int n = compat::GetPrivateProfileStringA(section, key, QStringLiteral("d"), buffer,
                                                       room, path);
        if (n < 0 || (room > 0 && (n >= room || buffer.at(n) != QChar(0))))
            __builtin_trap();
    }
    compat::ProfileText(input);
    QFile::remove(path);
    return 0;
}
