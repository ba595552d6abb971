#include "sim/clock.h"

std::int64_t japanTimeToday(int minute, std::int64_t now)
{
    std::int64_t jst = now + japanOffsetSeconds;
    std::int64_t secondOfDay = ((jst % 86400) + 86400) % 86400;
    return now - secondOfDay + static_cast<std::int64_t>(minute) * 60;
}
