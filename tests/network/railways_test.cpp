#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <string>

#include "network/branch.h"
#include "network/stations.h"
#include "tests/network/checksum.h"

namespace {

TEST(Railways, CountsMasksAndUsedSlots)
{
    const int expected[railwayCount] = {19, 28, 21, 23, 20, 24, 14, 19, 16};
    int listed = 0;
    for (int k = 0; k < railwayCount; ++k) {
        EXPECT_EQ(railways[k].mask, 1 << k) << k;
        EXPECT_EQ(railways[k].stationCount, expected[k]) << k;
        ASSERT_LE(railways[k].stationCount, kLineStationSlots);
        for (int s = 0; s < kLineStationSlots; ++s) {
            const bool used = s < railways[k].stationCount;
            EXPECT_EQ(lineStations[k][s] != nullptr, used) << "railway " << k << " slot " << s;
        }
        listed += railways[k].stationCount;
    }
    // The map draws one mark per listed name.
    EXPECT_EQ(listed, 184);
    lineMask all = 0;
    for (const RailwayEntry& r : railways)
        all |= static_cast<lineMask>(r.mask);
    EXPECT_EQ(all, kAllLines);
}

// Every listed name finds a record, and a record of that title belongs to
// the railway that lists it, except on 副都心線's first five names, which
// only 有楽町線 records carry.
TEST(Railways, EveryListedNameMatchesATitle)
{
    sortStations();
    for (int k = 0; k < railwayCount; ++k) {
        for (int s = 0; s < railways[k].stationCount; ++s) {
            const int i = findStationTitle(lineStations[k][s]);
            ASSERT_LT(i, kStationTableSize) << "railway " << k << " slot " << s;
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
TEST(Railways, EveryRecordIsListedByItsRailway)
{
    for (const StationEntry& e : stations) {
        int k = 0;
        while (k < railwayCount && !stationOnRailway(e, k))
            ++k;
        ASSERT_LT(k, railwayCount) << e.sameAs;
        const char* const* row = lineStations[k];
        const char* const* end = row + railways[k].stationCount;
        EXPECT_NE(std::find_if(row, end, [&](const char* n) { return std::strcmp(n, e.title) == 0; }), end)
            << e.sameAs;
    }
}

TEST(Railways, MarunouchiBranchLeavesAtNakanoSakaue)
{
    EXPECT_STREQ(lineStations[kBranchLine][kBranchJoinSlot], "中野坂上");
    EXPECT_STREQ(lineStations[kBranchLine][kBranchFirstSlot - 1], "荻窪");
    EXPECT_STREQ(lineStations[kBranchLine][kBranchFirstSlot], "中野新橋");
    EXPECT_STREQ(lineStations[kBranchLine][railways[kBranchLine].stationCount - 1], "方南町");
    // Both the main line and the branch have a record at the junction.
    int junction = 0;
    for (const StationEntry& e : stations)
        junction += std::strcmp(e.title, "中野坂上") == 0;
    EXPECT_EQ(junction, 2);
    // The branch's records are exactly its slots and the junction, under its own identifier.
    int branchRecords = 0;
    for (const StationEntry& e : stations) {
        if (std::strcmp(e.railway, kBranchRailwayId) != 0)
            continue;
        ++branchRecords;
        bool listed = std::strcmp(e.title, lineStations[kBranchLine][kBranchJoinSlot]) == 0;
        for (int s = kBranchFirstSlot; s < railways[kBranchLine].stationCount; ++s)
            listed = listed || std::strcmp(e.title, lineStations[kBranchLine][s]) == 0;
        EXPECT_TRUE(listed) << e.sameAs;
    }
    EXPECT_EQ(branchRecords, railways[kBranchLine].stationCount - kBranchFirstSlot + 1);
    EXPECT_EQ(kBranchIndex, railwayCount);
}

// Great-circle distance in km between the places of two titles (haversine on
// a sphere of the Earth's mean radius).
double distanceKm(const char* fromTitle, const char* toTitle)
{
    const StationEntry& a = stations[findStationTitle(fromTitle)];
    const StationEntry& b = stations[findStationTitle(toTitle)];
    const double rad = M_PI / 180;
    const double dLat = (b.latitude - a.latitude) * rad, dLon = (b.longitude - a.longitude) * rad;
    const double h = std::pow(std::sin(dLat / 2), 2) + std::cos(a.latitude * rad) *
                                                           std::cos(b.latitude * rad) *
                                                           std::pow(std::sin(dLon / 2), 2);
    return 2 * 6371.0 * std::asin(std::sqrt(h));
}

// Neighbours along a line are never far apart, so a name in the wrong slot or
// a record with another station's place shows as a jump. The one exception is
// the branch, which is joined to 中野坂上, not to 荻窪 before it.
TEST(Railways, ConsecutiveStationsLieWithinThreeKilometres)
{
    for (int k = 0; k < railwayCount; ++k) {
        for (int s = 1; s < railways[k].stationCount; ++s) {
            const bool branchStart = k == kBranchLine && s == kBranchFirstSlot;
            const char* from = lineStations[k][branchStart ? kBranchJoinSlot : s - 1];
            EXPECT_LT(distanceKm(from, lineStations[k][s]), 3.0) << "railway " << k << " slot " << s;
        }
    }
    EXPECT_GT(distanceKm(lineStations[1][24], lineStations[1][25]), 3.0)
        << "荻窪 to 中野新橋 is the branch's jump";
}

// The published running order, pinned by a sum computed from the operator's
// lists rather than from this table: per railway one line of its names in
// Shift_JIS joined by "|". Neighbours that trade slots fail here even when
// they lie close together.
TEST(Railways, PublishedRunningOrderChecksum)
{
    std::string text;
    for (int k = 0; k < railwayCount; ++k) {
        for (int s = 0; s < railways[k].stationCount; ++s)
            text += std::string(s ? "|" : "") + lineStations[k][s];
        text += "\n";
    }
    EXPECT_EQ(fnv1a(text), 0x523a7681f4b442d1u);
}

TEST(MapBounds, AreTheExtremesOfTheStationCoordinates)
{
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
    ASSERT_LT(std::max({wakoshi, meguro, nishiFunabashi}), kStationTableSize);
    EXPECT_EQ(mapBounds.north, stations[wakoshi].latitude);
    EXPECT_EQ(mapBounds.west, stations[wakoshi].longitude);
    EXPECT_EQ(mapBounds.south, stations[meguro].latitude);
    EXPECT_EQ(mapBounds.east, stations[nishiFunabashi].longitude);
}

}  // namespace
