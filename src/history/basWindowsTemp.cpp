#include "history/basWindowsTemp.h"

#include "compat/UrlCache.h"

#include <QFile>

namespace basWindowsTemp {

QString GetWindowsTempPath()
{
    char buffer[260] = {};
    if (compat::GetTempPathA(sizeof buffer, buffer) == 0)
        return QString();
    // A path too long for the buffer leaves it empty, so it reads as "".
    return QFile::decodeName(buffer);
}

} // namespace basWindowsTemp
