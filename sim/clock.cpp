#include "sim/clock.h"

#include "opendata/calendar.h"

std::string jstIso(std::int64_t unixTime)
{
    return japanIso(unixTime);
}

std::int64_t japanTimeToday(int minute, std::int64_t now)
{
    std::int64_t jst = now + jstOffsetSeconds;
    std::int64_t secondOfDay = ((jst % 86400) + 86400) % 86400;
    return now - secondOfDay + static_cast<std::int64_t>(minute) * 60;
}
