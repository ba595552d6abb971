#pragma once
// Trains placed by their timetables where no live positions come: at a
// moment of the service day, every train between its first departure and its
// last arrival becomes the record a live odpt:Train answer would have given.

#include <cstdint>
#include <string>

#include "opendata/parse.h"
#include "opendata/timetable.h"

// Writes the trains of table that are on the map at `second` (seconds since
// the service date's midnight) into records[count ..], at most up to capacity,
// and returns the new count. A train runs from stop k to stop k+1 (toStation
// the next stop) from its departure at k until its arrival at k+1, and stands
// at a stop (toStation "null") from its arrival until its departure. Every
// record gets dc:date `date`, delay 0 and the trip's number, type, railway,
// direction, owner, origin and destination; fields are assigned in place.
int appendEstimatedTrains(const Timetable& table, std::int32_t second, const std::string& date,
                          TrainRecord* records, int count, int capacity);
