#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "network/stations.h"

namespace {

StationEntry titled(const char* title)
{
    StationEntry e{};
    e.title = title;
    return e;
}

TEST(CompareStationTitle, OrdersByUnsignedBytesWithPrefixFirst)
{
    const StationEntry ascii = titled("z");
    const StationEntry lead = titled("\x81\x40");
    const StationEntry ueno = titled("上野");
    const StationEntry uenoHirokoji = titled("上野広小路");
    const StationEntry ueno2 = titled("上野");

    // A signed comparison would put the 0x81 lead byte before ASCII.
    EXPECT_LT(compareStationTitle(ascii, lead), 0);
    EXPECT_GT(compareStationTitle(lead, ascii), 0);
    EXPECT_LT(compareStationTitle(ueno, uenoHirokoji), 0);
    EXPECT_GT(compareStationTitle(uenoHirokoji, ueno), 0);
    EXPECT_EQ(compareStationTitle(ueno, ueno2), 0);
}

TEST(SortStations, FirstLastAndNagatachoRecords)
{
    sortStations();
    EXPECT_STREQ(stations[0].title, "綾瀬");
    EXPECT_STREQ(stations[0].railway, "odpt.Railway:TokyoMetro.Chiyoda");
    EXPECT_STREQ(stations[179].title, "茗荷谷");
    EXPECT_STREQ(stations[179].railway, "odpt.Railway:TokyoMetro.Marunouchi");

    std::set<std::string> railwaysAtNagatacho;
    for (int i = 3; i <= 5; ++i) {
        EXPECT_STREQ(stations[i].title, "永田町") << "index " << i;
        railwaysAtNagatacho.insert(stations[i].railway);
    }
    EXPECT_EQ(railwaysAtNagatacho,
              (std::set<std::string>{"odpt.Railway:TokyoMetro.Yurakucho", "odpt.Railway:TokyoMetro.Hanzomon",
                                     "odpt.Railway:TokyoMetro.Namboku"}));
    EXPECT_STRNE(stations[2].title, "永田町");
    EXPECT_STRNE(stations[6].title, "永田町");
}

TEST(SortStations, OrderedPermutationThatASecondSortKeeps)
{
    sortStations();
    std::set<std::string> ids;
    for (int i = 0; i < kStationTableSize; ++i) {
        ids.insert(stations[i].sameAs);
        if (i > 0) {
            EXPECT_LE(compareStationTitle(stations[i - 1], stations[i]), 0) << i;
        }
    }
    EXPECT_EQ(ids.size(), static_cast<size_t>(kStationTableSize));

    const char* before[kStationTableSize];
    for (int i = 0; i < kStationTableSize; ++i)
        before[i] = stations[i].sameAs;
    sortStations();
    for (int i = 0; i < kStationTableSize; ++i)
        EXPECT_EQ(stations[i].sameAs, before[i]) << i;
}

TEST(FindStation, BranchRecordAndExactMatchOnly)
{
    sortStations();
    std::int32_t x = -1, y = -1, dir = -1;
    float lon = -1, lat = -1;
    const int i = findStation("odpt.Station:TokyoMetro.MarunouchiBranch.NakanoSakaue", x, y, dir, lon, lat);
    ASSERT_LT(i, kStationTableSize);
    const StationEntry& s = stations[i];
    EXPECT_STREQ(s.railway, "odpt.Railway:TokyoMetro.MarunouchiBranch");
    EXPECT_STREQ(s.stationCode, "M06");
    EXPECT_EQ(x, s.layoutX);
    EXPECT_EQ(y, s.layoutY);
    EXPECT_EQ(dir, s.labelDirection);
    // Longitude comes before latitude in the outputs.
    EXPECT_EQ(lon, s.longitude);
    EXPECT_EQ(lat, s.latitude);

    const int main = findStation("odpt.Station:TokyoMetro.Marunouchi.NakanoSakaue", x, y, dir, lon, lat);
    ASSERT_LT(main, kStationTableSize);
    EXPECT_NE(main, i);
    EXPECT_STREQ(stations[main].railway, "odpt.Railway:TokyoMetro.Marunouchi");

    // "Ueno" is a prefix of "UenoHirokoji"; the match must be exact.
    const int ueno = findStation("odpt.Station:TokyoMetro.Ginza.Ueno", x, y, dir, lon, lat);
    ASSERT_LT(ueno, kStationTableSize);
    EXPECT_STREQ(stations[ueno].sameAs, "odpt.Station:TokyoMetro.Ginza.Ueno");
}

TEST(FindStation, UnknownIdentifierLeavesOutputs)
{
    sortStations();
    for (const char* id : {"odpt.Station:Toei.Oedo.Roppongi", "odpt.Station:TokyoMetro.Ginza.Uen",
                           "odpt.Station:TokyoMetro.Ginza.UenoX", "", static_cast<const char*>(nullptr)}) {
        std::int32_t x = 11, y = 22, dir = 33;
        float lon = 44.5f, lat = 55.5f;
        EXPECT_EQ(findStation(id, x, y, dir, lon, lat), kStationTableSize) << (id ? id : "null");
        EXPECT_EQ(x, 11);
        EXPECT_EQ(y, 22);
        EXPECT_EQ(dir, 33);
        EXPECT_EQ(lon, 44.5f);
        EXPECT_EQ(lat, 55.5f);
    }
}

TEST(StationOnRailway, HonanchoOnlyOnMarunouchiAndEveryRecordOnExactlyOne)
{
    sortStations();
    const int honancho = findStationTitle("方南町");
    ASSERT_LT(honancho, kStationTableSize);
    for (int k = 0; k < railwayCount; ++k) {
        EXPECT_EQ(stationOnRailway(stations[honancho], k), k == 1) << "railway " << k;
    }
    EXPECT_FALSE(stationOnRailway(stations[honancho], -1));
    EXPECT_FALSE(stationOnRailway(stations[honancho], railwayCount));

    int branchRecords = 0;
    for (const StationEntry& s : stations) {
        int owners = 0;
        for (int k = 0; k < railwayCount; ++k)
            owners += stationOnRailway(s, k);
        EXPECT_EQ(owners, 1) << s.sameAs;
        if (std::strcmp(s.railway, "odpt.Railway:TokyoMetro.MarunouchiBranch") == 0) {
            ++branchRecords;
            EXPECT_TRUE(stationOnRailway(s, 1)) << s.sameAs;
        }
    }
    EXPECT_EQ(branchRecords, 4);
}

TEST(FindStationTitle, FirstRecordOfTheTitleInSortedOrder)
{
    sortStations();
    const int i = findStationTitle("銀座");
    ASSERT_LT(i, kStationTableSize);
    EXPECT_STREQ(stations[i].title, "銀座");
    EXPECT_TRUE(i == 0 || std::strcmp(stations[i - 1].title, "銀座") != 0);
    // 銀座一丁目 starts with 銀座 but is another title.
    const int itchome = findStationTitle("銀座一丁目");
    ASSERT_LT(itchome, kStationTableSize);
    EXPECT_STREQ(stations[itchome].title, "銀座一丁目");
    EXPECT_EQ(findStationTitle("銀"), kStationTableSize);
    EXPECT_EQ(findStationTitle(""), kStationTableSize);
    EXPECT_EQ(findStationTitle(nullptr), kStationTableSize);
}

TEST(FindRailway, ExactIdentifiersOnly)
{
    for (int k = 0; k < railwayCount; ++k)
        EXPECT_EQ(findRailway(railways[k].railwayId), k);
    EXPECT_EQ(findRailway("odpt.Railway:TokyoMetro.MarunouchiBranch"), railwayCount);
    EXPECT_EQ(findRailway("odpt.Railway:TokyoMetro.Ginz"), railwayCount);
    EXPECT_EQ(findRailway("odpt.Railway:Toei.Oedo"), railwayCount);
    EXPECT_EQ(findRailway(nullptr), railwayCount);
}

}  // namespace
