#pragma once
// A day's timetable of one railway as a text file of its own: a header that
// says where and for which day it was downloaded, the table's names, trips
// and stops in numbers, and a checksum line last, so that a file cut short
// or changed by hand is told from a whole one. It holds no consumer key.

#include <string>
#include <string_view>

#include "opendata/timetable.h"

// What a cache file was made from; a file is used only for the same tag.
struct TimetableTag {
    std::string source;    // the API root
    std::string day;       // service date, "YYYY-MM-DD"
    std::string calendar;  // "odpt.Calendar:…"
    std::string railway;   // "odpt.Railway:…"
};

// The text of table under tag.
std::string timetableCacheText(const Timetable& table, const TimetableTag& tag);

// Reads a cache text into *table (replacing it); false, table emptied, when
// the text is damaged, of another version or made for another tag.
bool readTimetableCache(std::string_view text, const TimetableTag& tag, Timetable* table);

// "YYYY-MM-DD.Calendar.Railway.timetable": the file name of a tag, from the
// last parts of its identifiers.
std::string timetableCacheName(const TimetableTag& tag);
