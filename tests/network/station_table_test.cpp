#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include "network/stations.h"
#include "tests/network/checksum.h"

namespace {

const char railwayPrefix[] = "odpt.Railway:TokyoMetro.";
const char stationPrefix[] = "odpt.Station:TokyoMetro.";

bool startsWith(const std::string& s, const std::string& prefix)
{
    return s.compare(0, prefix.size(), prefix) == 0;
}

bool endsWith(const std::string& s, const std::string& suffix)
{
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The part of the railway identifier after the operator, e.g. "Ginza".
std::string railwayPart(const StationEntry& e)
{
    return std::string(e.railway).substr(sizeof railwayPrefix - 1);
}

const StationEntry* bySameAs(const char* sameAs)
{
    for (const StationEntry& e : stations) {
        if (std::strcmp(e.sameAs, sameAs) == 0)
            return &e;
    }
    return nullptr;
}

TEST(StationTable, IdentifiersAndFixedFields)
{
    std::set<std::string> ids, sameAs;
    for (const StationEntry& e : stations) {
        const std::string id = e.id;
        ASSERT_TRUE(startsWith(id, "urn:ucode:_")) << id;
        const std::string hex = id.substr(11);
        EXPECT_EQ(hex.size(), 32u) << id;
        for (char c : hex)
            EXPECT_TRUE(std::isdigit(c) || (c >= 'A' && c <= 'F')) << id;
        ids.insert(id);
        sameAs.insert(e.sameAs);

        ASSERT_TRUE(startsWith(e.railway, railwayPrefix)) << e.railway;
        EXPECT_TRUE(startsWith(e.sameAs, stationPrefix + railwayPart(e) + ".")) << e.sameAs;
        EXPECT_STREQ(e.type, "odpt.Station");
        EXPECT_STREQ(e.date, "2014-09-03T11:39:51+09:00");
        EXPECT_STREQ(e.operatorId, "odpt.Operator:TokyoMetro");
        EXPECT_TRUE(startsWith(e.region, "https://")) << e.region;
        EXPECT_TRUE(endsWith(e.region, "/api/v2/places/" + id + ".geojson")) << e.region;
        EXPECT_TRUE(startsWith(e.context, "http://")) << e.context;
        EXPECT_TRUE(endsWith(e.context, "/context_odpt_Station.jsonld")) << e.context;
        for (const char* array : {e.connectingRailway, e.passengerSurvey, e.exits}) {
            const std::string a = array;
            EXPECT_TRUE(startsWith(a, "[") && endsWith(a, "]")) << e.sameAs << " " << a;
        }
        EXPECT_EQ(std::string(e.connectingRailway).find(std::string("\"") + e.railway + "\""),
                  std::string::npos)
            << e.sameAs << " lists its own railway";
    }
    EXPECT_EQ(ids.size(), static_cast<size_t>(kStationTableSize));
    EXPECT_EQ(sameAs.size(), static_cast<size_t>(kStationTableSize));
}

TEST(StationTable, RecordsPerRailwayAndStationCodes)
{
    const std::map<std::string, std::pair<int, std::string>> expected = {
        {"Ginza", {19, "G"}},     {"Marunouchi", {25, "M"}}, {"MarunouchiBranch", {4, "Mm"}},
        {"Hibiya", {21, "H"}},    {"Tozai", {23, "T"}},      {"Chiyoda", {20, "C"}},
        {"Yurakucho", {24, "Y"}}, {"Hanzomon", {14, "Z"}},   {"Namboku", {19, "N"}},
        {"Fukutoshin", {11, "F"}}};
    std::map<std::string, int> counts;
    std::set<std::string> codes;
    for (const StationEntry& e : stations) {
        const std::string part = railwayPart(e);
        ++counts[part];
        const auto it = expected.find(part);
        ASSERT_NE(it, expected.end()) << e.railway;
        const std::string code = e.stationCode;
        ASSERT_EQ(code.size(), 3u) << e.sameAs;
        EXPECT_NE(it->second.second.find(code[0]), std::string::npos) << e.sameAs << " " << code;
        EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(code[1])) &&
                    std::isdigit(static_cast<unsigned char>(code[2])))
            << code;
        EXPECT_TRUE(codes.insert(part + code).second) << "duplicate " << part << " " << code;
    }
    for (const auto& [part, want] : expected)
        EXPECT_EQ(counts[part], want.first) << part;
}

// All records of one place share title, coordinates and layout position.
TEST(StationTable, RecordsOfOnePlaceAgree)
{
    std::map<std::string, const StationEntry*> first;
    for (const StationEntry& e : stations) {
        const auto [it, fresh] = first.emplace(e.title, &e);
        if (fresh)
            continue;
        const StationEntry& f = *it->second;
        EXPECT_EQ(e.latitude, f.latitude) << e.sameAs;
        EXPECT_EQ(e.longitude, f.longitude) << e.sameAs;
        EXPECT_EQ(e.layoutX, f.layoutX) << e.sameAs;
        EXPECT_EQ(e.layoutY, f.layoutY) << e.sameAs;
    }
    EXPECT_EQ(first.size(), 143u);
}

TEST(StationTable, LayoutWithinItsRangeAndFollowingTheCoordinates)
{
    for (const StationEntry& e : stations) {
        EXPECT_GE(e.layoutX, 26) << e.sameAs;
        EXPECT_LE(e.layoutX, 746) << e.sameAs;
        EXPECT_GE(e.layoutY, 18) << e.sameAs;
        EXPECT_LE(e.layoutY, 467) << e.sameAs;
    }
    // West of, and north of, mean smaller x and y.
    const StationEntry* wakoshi = bySameAs("odpt.Station:TokyoMetro.Yurakucho.Wakoshi");
    const StationEntry* meguro = bySameAs("odpt.Station:TokyoMetro.Namboku.Meguro");
    const StationEntry* funabashi = bySameAs("odpt.Station:TokyoMetro.Tozai.NishiFunabashi");
    ASSERT_TRUE(wakoshi && meguro && funabashi);
    EXPECT_EQ(wakoshi->layoutX, 26);
    EXPECT_EQ(wakoshi->layoutY, 18);
    EXPECT_EQ(funabashi->layoutX, 746);
    EXPECT_EQ(meguro->layoutY, 467);
}

TEST(StationTable, LabelDirections)
{
    int horizontal = 0;
    std::set<std::string> namboku;
    for (const StationEntry& e : stations) {
        ASSERT_TRUE(e.labelDirection == 0 || e.labelDirection == 1) << e.sameAs;
        horizontal += e.labelDirection == 0;
        if (railwayPart(e) == "Namboku") {
            namboku.insert(e.title);
            EXPECT_EQ(e.labelDirection, std::strcmp(e.stationCode, "N01") == 0 ? 1 : 0) << e.sameAs;
        }
    }
    EXPECT_EQ(horizontal, 36);
    // At places shared with the Namboku line the other records are vertical.
    for (const StationEntry& e : stations) {
        if (railwayPart(e) != "Namboku" && namboku.count(e.title)) {
            EXPECT_EQ(e.labelDirection, 1) << e.sameAs;
        }
    }
    const StationEntry* ochanomizu = bySameAs("odpt.Station:TokyoMetro.Marunouchi.Ochanomizu");
    const StationEntry* kitaSenju = bySameAs("odpt.Station:TokyoMetro.Chiyoda.KitaSenju");
    const StationEntry* machiya = bySameAs("odpt.Station:TokyoMetro.Chiyoda.Machiya");
    ASSERT_TRUE(ochanomizu && kitaSenju && machiya);
    EXPECT_EQ(ochanomizu->labelDirection, 0);
    EXPECT_EQ(kitaSenju->labelDirection, 0);
    EXPECT_EQ(machiya->labelDirection, 1);
}

// The Ginza record of 青山一丁目 as published, and its Hanzomon twin, which
// differs only in identity, railway, connections and code.
TEST(StationTable, AoyamaItchomeRecords)
{
    const StationEntry* g = bySameAs("odpt.Station:TokyoMetro.Ginza.AoyamaItchome");
    const StationEntry* z = bySameAs("odpt.Station:TokyoMetro.Hanzomon.AoyamaItchome");
    ASSERT_TRUE(g && z);
    EXPECT_STREQ(g->id, "urn:ucode:_00001C000000000000010000030C46B5");
    EXPECT_STREQ(g->title, "青山一丁目");
    EXPECT_STREQ(g->railway, "odpt.Railway:TokyoMetro.Ginza");
    EXPECT_STREQ(g->connectingRailway, "[\"odpt.Railway:TokyoMetro.Hanzomon\",\"odpt.Railway:Toei.Oedo\"]");
    EXPECT_STREQ(g->facility, "odpt.StationFacility:TokyoMetro.AoyamaItchome");
    EXPECT_STREQ(g->passengerSurvey,
                 "[\"odpt.PassengerSurvey:TokyoMetro.AoyamaItchome.2013\","
                 "\"odpt.PassengerSurvey:TokyoMetro.AoyamaItchome.2012\","
                 "\"odpt.PassengerSurvey:TokyoMetro.AoyamaItchome.2011\"]");
    EXPECT_STREQ(g->stationCode, "G04");
    EXPECT_EQ(g->layoutX, 233);
    EXPECT_EQ(g->layoutY, 322);
    EXPECT_EQ(g->labelDirection, 1);
    EXPECT_EQ(g->latitude, 35.672764f);
    EXPECT_EQ(g->longitude, 139.724152f);

    EXPECT_STRNE(z->id, g->id);
    EXPECT_STREQ(z->stationCode, "Z03");
    EXPECT_STRNE(z->connectingRailway, g->connectingRailway);
    for (auto field : {&StationEntry::type, &StationEntry::date, &StationEntry::title,
                       &StationEntry::operatorId, &StationEntry::facility, &StationEntry::passengerSurvey,
                       &StationEntry::exits, &StationEntry::context}) {
        EXPECT_STREQ(z->*field, g->*field);
    }
    EXPECT_EQ(z->layoutX, g->layoutX);
    EXPECT_EQ(z->layoutY, g->layoutY);
    EXPECT_EQ(z->labelDirection, g->labelDirection);
    EXPECT_EQ(z->latitude, g->latitude);
    EXPECT_EQ(z->longitude, g->longitude);
}

// One line per record in table order: "RAILWAY CODE STATION TITLE LABEL
// LATITUDE LONGITUDE\n" with the station part of sameAs, the title in
// Shift_JIS and the coordinates to six decimals.
std::string rowsText()
{
    std::string text;
    for (const StationEntry& e : stations) {
        const std::string part = railwayPart(e);
        char place[64];  // " L DD.DDDDDD DDD.DDDDDD\n" and more
        std::snprintf(place, sizeof place, " %d %.6f %.6f\n", static_cast<int>(e.labelDirection),
                      static_cast<double>(e.latitude), static_cast<double>(e.longitude));
        text += part + " " + e.stationCode + " " + (e.sameAs + sizeof stationPrefix - 1 + part.size() + 1) +
                " " + e.title + place;
    }
    return text;
}

// Taken as the table is written, before any test sorts it.
const std::string rowsAsWritten = rowsText();

// The published station rows, pinned by a sum computed from the operator's
// list rather than from this table: railway by railway (Ginza, Marunouchi,
// MarunouchiBranch, Hibiya, Tozai, Chiyoda, Yurakucho, Hanzomon, Namboku,
// Fukutoshin), by station code within a railway. Records that trade names,
// codes, places or rows fail here even when every other check still holds.
TEST(StationTable, PublishedRowsChecksum)
{
    EXPECT_EQ(fnv1a(rowsAsWritten), 0x9ff3cae5995832b6u);
}

}  // namespace
