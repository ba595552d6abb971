#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>

#include "network/stations.h"

namespace {

TEST(Railways, CountsMasksAndUsedSlots) {
    const int expected[railwayCount] = {19, 28, 21, 23, 20, 24, 14, 19, 16};
    int listed = 0;
    for (int k = 0; k < railwayCount; ++k) {
        EXPECT_EQ(railways[k].mask, 1 << k) << k;
        EXPECT_EQ(railways[k].stationCount, expected[k]) << k;
        ASSERT_LE(railways[k].stationCount, lineStationSlots);
        for (int s = 0; s < lineStationSlots; ++s) {
            const bool used = s < railways[k].stationCount;
            EXPECT_EQ(lineStations[k][s] != nullptr, used) << "railway " << k << " slot " << s;
        }
        listed += railways[k].stationCount;
    }
    // The map draws one mark per listed name.
    EXPECT_EQ(listed, 184);
    lineMask all = 0;
    for (const RailwayEntry& r : railways) all |= static_cast<lineMask>(r.mask);
    EXPECT_EQ(all, allLines);
}

// Every listed name finds a record, and a record of that title belongs to
// the railway that lists it, except on 副都心線's first five names, which
// only 有楽町線 records carry.
TEST(Railways, EveryListedNameMatchesATitle) {
    sortStations();
    for (int k = 0; k < railwayCount; ++k) {
        for (int s = 0; s < railways[k].stationCount; ++s) {
            const int i = findStationTitle(lineStations[k][s]);
            ASSERT_LT(i, stationTableSize) << "railway " << k << " slot " << s;
            EXPECT_STREQ(stations[i].title, lineStations[k][s]);
            const bool own =
                std::any_of(std::begin(stations), std::end(stations), [&](const StationEntry& e) {
                    return std::strcmp(e.title, lineStations[k][s]) == 0 && stationOnRailway(e, k);
                });
            EXPECT_EQ(own, !(k == 8 && s < 5)) << "railway " << k << " slot " << s;
        }
    }
}

// Conversely every record's title is listed by its own railway, so no record
// is left off the map.
TEST(Railways, EveryRecordIsListedByItsRailway) {
    for (const StationEntry& e : stations) {
        int k = 0;
        while (k < railwayCount && !stationOnRailway(e, k)) ++k;
        ASSERT_LT(k, railwayCount) << e.sameAs;
        const char* const* row = lineStations[k];
        const char* const* end = row + railways[k].stationCount;
        EXPECT_NE(std::find_if(row, end, [&](const char* n) { return std::strcmp(n, e.title) == 0; }),
                  end)
            << e.sameAs;
    }
}

TEST(Railways, MarunouchiBranchLeavesAtNakanoSakaue) {
    EXPECT_STREQ(lineStations[1][19], "中野坂上");
    EXPECT_STREQ(lineStations[1][24], "荻窪");
    EXPECT_STREQ(lineStations[1][25], "中野新橋");
    EXPECT_STREQ(lineStations[1][27], "方南町");
    // Both the main line and the branch have a record at the junction.
    int junction = 0;
    for (const StationEntry& e : stations) junction += std::strcmp(e.title, "中野坂上") == 0;
    EXPECT_EQ(junction, 2);
}

TEST(MapBounds, AreTheExtremesOfTheStationCoordinates) {
    float north = stations[0].latitude, south = north;
    float east = stations[0].longitude, west = east;
    for (const StationEntry& e : stations) {
        north = std::max(north, e.latitude);
        south = std::min(south, e.latitude);
        east = std::max(east, e.longitude);
        west = std::min(west, e.longitude);
    }
    EXPECT_EQ(mapBounds.north, north);
    EXPECT_EQ(mapBounds.south, south);
    EXPECT_EQ(mapBounds.east, east);
    EXPECT_EQ(mapBounds.west, west);

    sortStations();
    const int wakoshi = findStationTitle("和光市");
    const int meguro = findStationTitle("目黒");
    const int nishiFunabashi = findStationTitle("西船橋");
    ASSERT_LT(std::max({wakoshi, meguro, nishiFunabashi}), stationTableSize);
    EXPECT_EQ(mapBounds.north, stations[wakoshi].latitude);
    EXPECT_EQ(mapBounds.west, stations[wakoshi].longitude);
    EXPECT_EQ(mapBounds.south, stations[meguro].latitude);
    EXPECT_EQ(mapBounds.east, stations[nishiFunabashi].longitude);
}

}  // namespace
