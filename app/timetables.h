// Trains from the published timetables when no live positions come: one
// service day's timetables, downloaded all at once at the first
// refresh that needs them and kept in the cache folder, and the trains they
// place on the map at the refresh's clock time.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "network/branch.h"
#include "opendata/fetch.h"
#include "opendata/timetable.h"

// The railways whose timetables are asked for: the nine of the railway
// table, then the branch.
inline constexpr int kTimetableRailwayCount = kBranchIndex + 1;

// The railway identifier of timetable r, 0 .. kTimetableRailwayCount-1.
const char* timetableRailway(int r);

// One service day's timetables as far as they have arrived.
struct TimetableDay {
    std::string day;       // service date "YYYY-MM-DD"; empty before the first load
    std::string calendar;  // its odpt.Calendar identifier
    Timetable tables[kTimetableRailwayCount];
    bool loaded[kTimetableRailwayCount] = {};
};

// "平日" for odpt.Calendar:Weekday, else "土休日" (Shift_JIS).
const char* calendarTitle(const std::string& calendar);

// How many of day's railways have their table loaded.
int loadedTables(const TimetableDay& day);

// Where timetables come from: the cache folder, else the API.
struct TimetableSource {
    std::string root;      // the API root, recorded in each cache file
    std::string cacheDir;  // folder of the cache files; empty keeps none
    // Downloads the railways' timetables of a calendar at once, as
    // fetchTimetables does (opendata/fetch.h), whose contract it keeps.
    std::function<bool(const std::vector<std::string>& railways, const std::string& calendar,
                       const TimetableArrivalFn& arrived, const HttpAbandonFn& shouldAbandon)>
        download;
};

// What the caller is asked while a day loads.
struct TimetableWatch {
    HttpAbandonFn shouldAbandon;        // asked during the downloads; true gives them up
    std::function<void()> tablesAdded;  // after railways were added, so their trains show at once
};

// Brings day to the service day of Unix time now: a new day drops the old
// tables; the railways not yet loaded are read from their cache files, the
// rest downloaded all at once (a progress line on the console), each added
// and saved to the cache as soon as it is in. A railway that fails stays for
// the next call. One console line tells what a call loaded and what it could
// not. False when watch.shouldAbandon gave the downloads up (no line then;
// what arrived before stays).
bool updateTimetables(TimetableDay& day, std::int64_t now, const TimetableSource& source,
                      const TimetableWatch& watch = {});

// Fills trainRecords and trainCount with the trains the loaded timetables
// place on the map at Unix time now (dc:date its Japan time), railway r's
// where its timetable had them lagSeconds[r] earlier (nullptr: none); returns
// trainCount.
int estimateTrains(const TimetableDay& day, std::int64_t now, const std::int32_t* lagSeconds = nullptr);
