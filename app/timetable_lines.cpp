#include "app/timetable_lines.h"

#include "app/timetables.h"
#include "network/branch.h"
#include "network/stations.h"

#include <cstring>

int lineOfTable(int table)
{
    return table == kBranchIndex ? kBranchLine : table;
}

const char* tableLineName(int table)
{
    return table == kBranchIndex ? "丸ノ内線方南町支線" : railways[table].name;
}

int tableOfRailway(const std::string& railway)
{
    for (int r = 0; r < kTimetableRailwayCount; ++r)
        if (railway == timetableRailway(r))
            return r;
    return -1;
}

int lineSlotOf(int line, const std::string& sameAs)
{
    std::int32_t x = 0, y = 0, direction = 0;
    float longitude = 0, latitude = 0;
    const int i = findStation(sameAs.c_str(), x, y, direction, longitude, latitude);
    if (i == kStationTableSize)
        return -1;
    for (int s = 0; s < railways[line].stationCount; ++s)
        if (std::strcmp(lineStations[line][s], stations[i].title) == 0)
            return s;
    return -1;
}
