#pragma once

#include <QString>

namespace basWindowsTemp {

// The temp folder with its trailing separator; "" when it cannot be read or does not fit
// 260 characters.
QString GetWindowsTempPath();

} // namespace basWindowsTemp
