// Trains from the published timetables when no live positions come: one
// service day's timetables, downloaded railway by railway at the first
// refresh that needs them and kept in the cache folder, and the trains they
// place on the map at the refresh's clock time.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "opendata/timetable.h"

// The railways whose timetables are asked for: the nine, then the branch.
inline constexpr int timetableRailwayCount = 10;
extern const char* const timetableRailways[timetableRailwayCount];

// Seconds between two timetable requests; the API allows one a second.
inline constexpr int timetableRequestSpacingMs = 2000;

// One service day's timetables as far as they have arrived.
struct TimetableDay {
    std::string day;       // service date "YYYY-MM-DD"; empty before the first load
    std::string calendar;  // its odpt.Calendar identifier
    Timetable tables[timetableRailwayCount];
    bool loaded[timetableRailwayCount] = {};
};

// Where timetables come from and how the loading waits.
struct TimetableSource {
    std::string root;      // the API root, recorded in each cache file
    std::string cacheDir;  // folder of the cache files; empty keeps none
    // Downloads one railway's timetable of a calendar (UTF-8 JSON); false,
    // after one console line saying why, when it failed.
    std::function<bool(const std::string& railway, const std::string& calendar, std::string* body)> download;
    std::function<void(int)> sleepMs;  // pauses this many milliseconds
    std::function<bool()> keyWaiting;  // true when the user typed a key
};

// Brings day to the service day of Unix time now: a new day drops the old
// tables; each railway not yet loaded is read from its cache file, else
// downloaded (at most one request every 2 s, a progress line on the console)
// and saved to the cache. A railway that fails stays for the next call, and so
// do the rest after two failures in a row or when a key is typed during the
// wait, so the key is served. One
// console line tells what a call loaded and what it could not.
void updateTimetables(TimetableDay& day, std::int64_t now, const TimetableSource& source);

// Fills trainRecords and trainCount with the trains the loaded timetables
// place on the map at Unix time now (dc:date its Japan time), railway r's
// where its timetable had them lagSeconds[r] earlier (nullptr: none); returns
// trainCount.
int estimateTrains(const TimetableDay& day, std::int64_t now, const std::int32_t* lagSeconds = nullptr);
