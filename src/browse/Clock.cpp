#include "browse/Clock.h"

namespace browse {

namespace {

std::function<QDateTime()> &clock()
{
    static std::function<QDateTime()> c;
    return c;
}

} // namespace

QDateTime Now()
{
    return clock() ? clock()() : QDateTime::currentDateTime();
}

void SetClock(std::function<QDateTime()> c)
{
    clock() = std::move(c);
}

} // namespace browse
