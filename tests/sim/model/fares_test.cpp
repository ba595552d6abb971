#include "sim/model/fares.h"

#include <gtest/gtest.h>

#include "network/stations.h"
#include "sim/model/network_model.h"

namespace {

struct Coordinates {
    double lat, lon;
};

Coordinates where(const char* sameAs)
{
    std::int32_t x, y, dir;
    float lon = 0, lat = 0;
    EXPECT_LT(findStation(sameAs, x, y, dir, lon, lat), kStationTableSize) << sameAs;
    return {lat, lon};
}

// Length of a path given station by station, measured segment by segment.
double pathKm(std::initializer_list<const char*> path)
{
    double km = 0;
    const char* prev = nullptr;
    for (const char* s : path) {
        if (prev) {
            Coordinates a = where(prev), b = where(s);
            km += distanceKm(a.lat, a.lon, b.lat, b.lon);
        }
        prev = s;
    }
    return km;
}

double network(const SimNetwork& net, const char* from, const char* to)
{
    return networkDistanceKm(net, placeOfStation(net, from), placeOfStation(net, to));
}

const SimNetwork& net()
{
    static const SimNetwork n = buildSimNetwork();
    return n;
}

}  // namespace

TEST(Fares, BandsCountEveryStartedKilometre)
{
    struct Case {
        double km;
        SimFare y2014, y2023;  // ticket, child ticket, IC card, child IC card
    };
    const Case cases[] = {
        {0.0, {170, 90, 165, 82}, {180, 90, 178, 89}},
        {0.4, {170, 90, 165, 82}, {180, 90, 178, 89}},
        {6.0, {170, 90, 165, 82}, {180, 90, 178, 89}},
        {6.01, {200, 100, 195, 97}, {210, 110, 209, 104}},
        {11.0, {200, 100, 195, 97}, {210, 110, 209, 104}},
        {11.2, {240, 120, 237, 118}, {260, 130, 252, 126}},
        {19.0, {240, 120, 237, 118}, {260, 130, 252, 126}},
        {19.5, {280, 140, 278, 139}, {300, 150, 293, 146}},
        {27.0, {280, 140, 278, 139}, {300, 150, 293, 146}},
        {27.3, {310, 160, 308, 154}, {330, 170, 324, 162}},
        {40.0, {310, 160, 308, 154}, {330, 170, 324, 162}},
        {55.0, {310, 160, 308, 154}, {330, 170, 324, 162}},
    };
    for (const Case& c : cases) {
        for (auto [got, want] :
             {std::pair{fareForDistance(c.km), c.y2014}, std::pair{fare2023ForDistance(c.km), c.y2023}}) {
            EXPECT_EQ(got.ticket, want.ticket) << c.km;
            EXPECT_EQ(got.childTicket, want.childTicket) << c.km;
            EXPECT_EQ(got.icCard, want.icCard) << c.km;
            EXPECT_EQ(got.childIcCard, want.childIcCard) << c.km;
        }
    }
}

TEST(Fares, DistanceFollowsTheLinesAndTheBranchLeavesAtNakanoSakaue)
{
    // the branch joins the main line at 中野坂上; a wrong join at 荻窪 would make this short
    double expected = pathKm(
        {"odpt.Station:TokyoMetro.MarunouchiBranch.Honancho",
         "odpt.Station:TokyoMetro.MarunouchiBranch.NakanoFujimicho",
         "odpt.Station:TokyoMetro.MarunouchiBranch.NakanoShimbashi",
         "odpt.Station:TokyoMetro.MarunouchiBranch.NakanoSakaue",
         "odpt.Station:TokyoMetro.Marunouchi.ShinNakano", "odpt.Station:TokyoMetro.Marunouchi.HigashiKoenji",
         "odpt.Station:TokyoMetro.Marunouchi.ShinKoenji", "odpt.Station:TokyoMetro.Marunouchi.MinamiAsagaya",
         "odpt.Station:TokyoMetro.Marunouchi.Ogikubo"});
    EXPECT_NEAR(network(net(), "odpt.Station:TokyoMetro.MarunouchiBranch.Honancho",
                        "odpt.Station:TokyoMetro.Marunouchi.Ogikubo"),
                expected, 1e-6);

    double neighbours =
        pathKm({"odpt.Station:TokyoMetro.Ginza.Asakusa", "odpt.Station:TokyoMetro.Ginza.Tawaramachi"});
    EXPECT_NEAR(
        network(net(), "odpt.Station:TokyoMetro.Ginza.Asakusa", "odpt.Station:TokyoMetro.Ginza.Tawaramachi"),
        neighbours, 1e-6);
}

TEST(Fares, TransfersAtEqualTitlesCostNothing)
{
    EXPECT_EQ(network(net(), "odpt.Station:TokyoMetro.Ginza.AoyamaItchome",
                      "odpt.Station:TokyoMetro.Hanzomon.AoyamaItchome"),
              0.0);
    // 副都心線 reaches 和光市 through the 有楽町線 record: 渋谷 and 和光市 are connected
    double shibuyaWako = network(net(), "odpt.Station:TokyoMetro.Fukutoshin.Shibuya",
                                 "odpt.Station:TokyoMetro.Yurakucho.Wakoshi");
    EXPECT_GT(shibuyaWako, 15.0);

    // a journey needing a change: 浅草 (銀座線) to 北千住 (日比谷線, 千代田線)
    const char* a = "odpt.Station:TokyoMetro.Ginza.Asakusa";
    const char* b = "odpt.Station:TokyoMetro.Hibiya.KitaSenju";
    double d = network(net(), a, b);
    Coordinates ca = where(a), cb = where(b);
    EXPECT_GE(d, distanceKm(ca.lat, ca.lon, cb.lat, cb.lon));
    double viaUeno =
        pathKm({a, "odpt.Station:TokyoMetro.Ginza.Tawaramachi", "odpt.Station:TokyoMetro.Ginza.Inaricho",
                "odpt.Station:TokyoMetro.Ginza.Ueno", "odpt.Station:TokyoMetro.Hibiya.Iriya",
                "odpt.Station:TokyoMetro.Hibiya.Minowa", "odpt.Station:TokyoMetro.Hibiya.MinamiSenju", b});
    EXPECT_LE(d, viaUeno + 1e-9);
    EXPECT_DOUBLE_EQ(d, network(net(), b, a));
}

TEST(Fares, EveryIdentifierHasAPlaceAndEveryPairIsConnected)
{
    ASSERT_EQ(net().sameAs.size(), static_cast<size_t>(kStationTableSize));
    int from = placeOfStation(net(), "odpt.Station:TokyoMetro.Tozai.NishiFunabashi");
    for (const std::string& id : net().sameAs) {
        int p = placeOfStation(net(), id);
        ASSERT_GE(p, 0) << id;
        EXPECT_GE(networkDistanceKm(net(), from, p), 0.0) << id;
    }
    EXPECT_EQ(placeOfStation(net(), "odpt.Station:JR-East.Joban.Abiko"), -1);
    EXPECT_EQ(placeOfStation(net(), ""), -1);
}
