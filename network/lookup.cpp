// Lookups over the station and railway tables: linear scans, since the tables
// hold 180 and 9 records.
#include <algorithm>
#include <cstring>
#include <iterator>

#include "network/stations.h"

int compareStationTitle(const StationEntry& a, const StationEntry& b)
{
    // strcmp compares as unsigned char, so Shift_JIS lead bytes order above ASCII.
    const int c = std::strcmp(a.title, b.title);
    return (c > 0) - (c < 0);
}

void sortStations()
{
    std::stable_sort(
        std::begin(stations), std::end(stations),
        [](const StationEntry& a, const StationEntry& b) { return compareStationTitle(a, b) < 0; });
}

int findStation(const char* sameAs, std::int32_t& layoutX, std::int32_t& layoutY,
                std::int32_t& labelDirection, float& longitude, float& latitude)
{
    if (sameAs == nullptr)
        return kStationTableSize;
    for (int i = 0; i < kStationTableSize; ++i) {
        const StationEntry& s = stations[i];
        if (std::strcmp(s.sameAs, sameAs) == 0) {
            layoutX = s.layoutX;
            layoutY = s.layoutY;
            labelDirection = s.labelDirection;
            longitude = s.longitude;
            latitude = s.latitude;
            return i;
        }
    }
    return kStationTableSize;
}

int findStationTitle(const char* title)
{
    if (title == nullptr)
        return kStationTableSize;
    for (int i = 0; i < kStationTableSize; ++i) {
        if (std::strcmp(stations[i].title, title) == 0)
            return i;
    }
    return kStationTableSize;
}

bool stationOnRailway(const StationEntry& station, int railway)
{
    if (railway < 0 || railway >= railwayCount)
        return false;
    const char* id = railways[railway].railwayId;
    return std::strncmp(station.railway, id, std::strlen(id)) == 0;
}

int findRailway(const char* railwayId)
{
    if (railwayId == nullptr)
        return railwayCount;
    for (int i = 0; i < railwayCount; ++i) {
        if (std::strcmp(railways[i].railwayId, railwayId) == 0)
            return i;
    }
    return railwayCount;
}
