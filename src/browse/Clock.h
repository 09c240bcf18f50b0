#pragma once

#include <QDateTime>
#include <functional>

// The system clock, as local date and time. Tests fix it so that a dated line can be
// compared byte for byte.
namespace browse {

QDateTime Now();

// An empty function restores the system clock.
void SetClock(std::function<QDateTime()> clock);

} // namespace browse
