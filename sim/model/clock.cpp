#include "sim/model/clock.h"

std::int64_t japanTimeToday(int minute, std::int64_t now)
{
    return now - japanSecondOfDay(now) + static_cast<std::int64_t>(minute) * 60;
}
