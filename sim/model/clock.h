#pragma once
// Japan time (UTC+9, no daylight saving) for the feed's schedules; the
// stamps and the offset are the calendar's (opendata/calendar.h).
#include <cstdint>

#include "opendata/calendar.h"

// Unix time of the Japan time of day `minute` (0..1439) on the Japan date of
// Unix time `now`.
std::int64_t japanTimeToday(int minute, std::int64_t now);
