#include "sim/clock.h"

#include <cstdio>
#include <ctime>

std::string jstIso(std::int64_t unixTime) {
    std::time_t t = static_cast<std::time_t>(unixTime + jstOffsetSeconds);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char text[64];  // "2014-09-08T20:53:51+09:00" is 25 characters; room for any int year
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d+09:00", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return text;
}

std::int64_t clockOffsetFor(int minute, std::int64_t now) {
    std::int64_t jst = now + jstOffsetSeconds;
    std::int64_t secondOfDay = ((jst % 86400) + 86400) % 86400;
    return static_cast<std::int64_t>(minute) * 60 - secondOfDay;
}
