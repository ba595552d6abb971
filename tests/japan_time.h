// Fixed moments for the tests: every test that starts the feed or the monitor
// runs on a clock set from one of these, never on the machine's.
#pragma once

#include "opendata/calendar.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

// Unix time of the Japan time "YYYY-MM-DDTHH:MM[:SS]"; a malformed text fails the test.
inline std::int64_t japanTime(const std::string& text)
{
    std::int64_t t = 0;
    EXPECT_TRUE(parseJapanTime(text, 0, &t)) << text;
    return t;
}
