// The compiled-in network: station records, railways, the order of stations
// along each railway and the geographic bounds of all stations.
//
// Texts: identifiers are ASCII; `title` and `name` are Shift_JIS bytes.
// Station indexes are positions in `stations` after the start-up sort
// (sortStations); `kStationTableSize` (180) means "not found".
#pragma once

#include <cstdint>

// One station on one railway: a station datapoint of the operator plus the
// layout position and the direction of the station's name label.
struct StationEntry {
    const char* id;                 // "@id": "urn:ucode:_" + 32 uppercase hex digits
    const char* type;               // "@type": always "odpt.Station"
    const char* sameAs;             // "owl:sameAs" station identifier, unique; key of findStation
    const char* date;               // "dc:date" of the datapoint
    const char* title;              // "dc:title", Shift_JIS; shared by all records of one place
    const char* region;             // "ug:region": URL of the place record
    const char* operatorId;         // "odpt:operator"
    const char* railway;            // "odpt:railway" identifier (ten values incl. the branch)
    const char* connectingRailway;  // "odpt:connectingRailway" as JSON array text
    const char* facility;           // "odpt:facility" identifier
    const char* passengerSurvey;    // "odpt:passengerSurvey" as JSON array text
    const char* stationCode;        // "odpt:stationCode", e.g. "G04"
    const char* exits;              // "odpt:exit" as JSON array text
    const char* context;            // "@context" URL
    std::int32_t layoutX;           // layout position x, 26 … 746
    std::int32_t layoutY;           // layout position y, 18 … 467, grows southward
    std::int32_t labelDirection;    // name label direction: 0 horizontal, 1 vertical
    float latitude;                 // degrees north
    float longitude;                // degrees east
};

// Capacity of `stations`; also the "not found" index of the station lookups.
constexpr int kStationTableSize = 180;

// The station table; sorted once by title at start-up, read-only afterwards.
extern StationEntry stations[kStationTableSize];

// One railway (line).
struct RailwayEntry {
    const char* name;           // the line's Japanese name, Shift_JIS
    const char* railwayId;      // odpt railway identifier, e.g. "odpt.Railway:TokyoMetro.Ginza"
    std::int32_t mask;          // the railway's bit in a lineMask: 1 << index
    std::int32_t stationCount;  // names used in the railway's lineStations row
};

// Number of railways; the index of a railway is its number everywhere.
constexpr int railwayCount = 9;

// The railways in their fixed order (0 銀座線 … 8 副都心線).
extern const RailwayEntry railways[railwayCount];

// A set of railways: bit i set means railway i is selected.
using lineMask = std::uint32_t;

// All nine railways selected.
constexpr lineMask kAllLines = 0x1ff;

// Name slots per railway in lineStations (the longest railway uses all).
constexpr int kLineStationSlots = 28;

// Per railway, the station titles in running order (Shift_JIS); the first
// railways[k].stationCount slots are used, the rest are nullptr. Railway 1
// holds the main line in slots 0–24 and a branch in 25–27 that leaves the
// main line at slot 19 (join slot 25 to slot 19, not to slot 24).
extern const char* const lineStations[railwayCount][kLineStationSlots];

// Geographic extremes of the station coordinates, in degrees.
struct MapBounds {
    float north;  // greatest latitude
    float south;  // least latitude
    float east;   // greatest longitude
    float west;   // least longitude
};

// The bounds of all stations; start-up widens them once by its margin.
extern MapBounds mapBounds;

// Three-way byte-wise (unsigned) comparison of the records' titles; a prefix sorts first.
int compareStationTitle(const StationEntry& a, const StationEntry& b);

// Sorts `stations` in place by title with compareStationTitle; records with
// equal titles keep their relative order, so sorting again changes nothing.
void sortStations();

// Index of the first record whose sameAs equals `sameAs`, copying its layout
// position, label direction, longitude and latitude into the outputs; returns
// kStationTableSize and leaves the outputs untouched when there is none (or
// `sameAs` is null).
int findStation(const char* sameAs, std::int32_t& layoutX, std::int32_t& layoutY,
                std::int32_t& labelDirection, float& longitude, float& latitude);

// Index of the first record whose title equals `title` byte for byte, or
// kStationTableSize (also for null).
int findStationTitle(const char* title);

// True when railway `railway`'s railwayId is a prefix of the station's
// railway, so the branch records belong to railway 1; false for an index
// outside 0 … railwayCount-1.
bool stationOnRailway(const StationEntry& station, int railway);

// Index of the railway whose railwayId equals `railwayId` exactly, or
// railwayCount (also for null).
int findRailway(const char* railwayId);
