#pragma once
// Japan time (UTC+9, no daylight saving) for the feed's stamps and schedules.
#include <cstdint>
#include <string>

// Seconds Japan time runs ahead of UTC.
constexpr std::int64_t jstOffsetSeconds = 9 * 3600;

// "YYYY-MM-DDTHH:MM:SS+09:00" of a Unix time.
std::string jstIso(std::int64_t unixTime);

// Seconds to add to the real clock so that, at Unix time `now`, the simulated
// Japan time of day is `minute` (0..1439) on the same Japan date.
std::int64_t clockOffsetFor(int minute, std::int64_t now);
