#pragma once
// Japan time (UTC+9, no daylight saving) for the feed's stamps and schedules.
#include <cstdint>
#include <string>

// Seconds Japan time runs ahead of UTC.
constexpr std::int64_t jstOffsetSeconds = 9 * 3600;

// "YYYY-MM-DDTHH:MM:SS+09:00" of a Unix time.
std::string jstIso(std::int64_t unixTime);

// Unix time of the Japan time of day `minute` (0..1439) on the Japan date of
// Unix time `now`.
std::int64_t japanTimeToday(int minute, std::int64_t now);
