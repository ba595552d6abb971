#pragma once
// The trains' published timetables (odpt:TrainTimetable of the API's version
// 4) held compactly: each train's stops with the moments it arrives at and
// leaves each one, in seconds since the service date's midnight, and every
// identifier kept once in a table of names.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// A train arrives at a stop this many seconds before it leaves when the
// timetable gives only the departure.
inline constexpr std::int32_t kStandingSeconds = 30;

// Bounds of one table, whatever an answer holds; a trip beyond one of them is
// left out and counted. A real railway's day has at most about 660 trips of
// up to 30 stops and 800 names of up to 60 bytes.
inline constexpr std::size_t kTimetableNameCap = 128;          // bytes of one name
inline constexpr std::size_t kTimetableNamesCap = 2048;        // distinct names of a table
inline constexpr std::size_t kTimetableStopsPerTripCap = 100;  // published stops of a trip
inline constexpr std::size_t kTimetableTripsCap = 1000;        // trips of a table, the API's 1,000 objects
// What a table within those bounds takes at most by timetableBytes: the day's
// ten stay below 30 MiB.
inline constexpr std::size_t kTimetableByteCap = 3u << 20;

// One stop of a trip. For the first stop arrive equals depart (a train is
// shown from its first departure); for the last, depart equals arrive (it
// leaves the map on arriving). arrive <= depart <= the next stop's arrive.
struct TimetableStop {
    std::int32_t arrive;  // seconds since the service date's midnight
    std::int32_t depart;
    std::uint32_t station;  // index into Timetable::names
};

// One train's run over the operator's stops; fields are indices into names.
struct TimetableTrip {
    std::uint32_t number, type, railway, direction;
    std::uint32_t origin, destination;  // first originStation / destinationStation, maybe another operator's
    std::uint32_t owner;                // odpt:trainOwner, often the empty name
    std::uint32_t firstStop;            // index into Timetable::stops
    std::uint32_t stopCount;            // at least 2
};

// The trips of one railway's timetable for one calendar.
struct Timetable {
    std::vector<std::string> names;  // names[0] is the empty name
    std::vector<TimetableTrip> trips;
    std::vector<TimetableStop> stops;
    std::unordered_map<std::string, std::uint32_t> nameIndex;  // name -> index, for adding trips
};

// Index of name in the table, added when new. Bytes below 0x21 become '_'
// so that every name is one word of the cache text.
std::uint32_t timetableName(Timetable& table, std::string_view name);

// A stop as the timetable publishes it, times already in seconds since the
// service date's midnight; -1 where a time is missing.
struct PublishedStop {
    std::int32_t arrival = -1;
    std::int32_t departure = -1;
    std::string_view station;
};

// Adds one trip from its published stops. Each stop's time is its departure,
// else its arrival; a stop with neither gets a time interpolated by position
// between its timed neighbours (untimed stops at either end and stops without
// a station are left out); a time earlier than the stop before it is raised
// to it. A stop is reached at its arrival time, else 30 s before it is left,
// but never before the previous stop is left. False, nothing added, when
// fewer than two stops remain.
bool addTrip(Timetable& table, const TimetableTrip& names, const std::vector<PublishedStop>& stops);

// "HH:MM" or "HH:MM:SS" (hours up to 29) as seconds since the service date's
// midnight, a time before 03:00 read as the next day's; -1 when malformed.
std::int32_t timetableSeconds(std::string_view text);

// The outcome of reading one answer.
struct TimetableLoad {
    bool ok = false;          // false: not a JSON array; nothing added
    std::size_t objects = 0;  // elements of the array
    std::size_t trips = 0;    // trips added
    std::size_t dropped = 0;  // trips left out for the table's bounds
};

// Adds the trips of an odpt:TrainTimetable answer (UTF-8 JSON array) to table.
// An object without a train number or with fewer than two usable stops is
// skipped; one with a name longer than kTimetableNameCap or more stops than
// kTimetableStopsPerTripCap, or one that would take the table past
// kTimetableNamesCap names or kTimetableTripsCap trips, is dropped.
TimetableLoad loadTimetableV4(Timetable& table, std::string_view utf8);

// Bytes the table takes in memory: its names (in the list and the index),
// trips and stops as allocated.
std::size_t timetableBytes(const Timetable& table);
