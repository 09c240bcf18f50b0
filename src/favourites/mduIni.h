#pragma once

#include <QString>

// The one reader of favourites.ini.
namespace mduIni {

// The value of Key in Section of the INI file File; "" when the file, the section or the
// key is missing or the value is empty. Values longer than 254 characters come back cut
// to their first 254.
QString ReadIni(const QString &Section, const QString &Key, const QString &File);

} // namespace mduIni
