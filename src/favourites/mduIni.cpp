#include "favourites/mduIni.h"

#include "compat/PrivateProfile.h"

namespace mduIni {

QString ReadIni(const QString &Section, const QString &Key, const QString &File)
{
    QString buffer(255, QChar(0));
    const int n = compat::GetPrivateProfileStringA(Section, Key, QString(), buffer,
                                                   static_cast<int>(buffer.size()), File);
    return buffer.left(n);
}

} // namespace mduIni
