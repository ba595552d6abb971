#include "sim/model/network_model.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <queue>

#include "network/branch.h"
#include "network/stations.h"
#include "platform/charset.h"

namespace {

int placeOfTitle(SimNetwork& net, const std::string& title)
{
    for (size_t i = 0; i < net.places.size(); ++i)
        if (net.places[i].title == title)
            return static_cast<int>(i);
    net.places.push_back(SimPlace{title, {}});
    return static_cast<int>(net.places.size()) - 1;
}

// The record a route's trains report for a title: the one of the route's own
// railway, else one on the same line (the branch), else any record of that
// title (副都心線 runs through 有楽町線 records where it has none of its own).
const StationEntry* recordFor(const char* title, const char* railwayId, int railway)
{
    const StationEntry* sameLine = nullptr;
    const StationEntry* any = nullptr;
    for (const StationEntry& s : stations) {
        if (std::strcmp(s.title, title) != 0)
            continue;
        if (std::strcmp(s.railway, railwayId) == 0)
            return &s;
        if (!sameLine && stationOnRailway(s, railway))
            sameLine = &s;
        if (!any)
            any = &s;
    }
    return sameLine ? sameLine : any;
}

void addStop(SimNetwork& net, SimRoute& route, const char* title)
{
    const StationEntry* s = recordFor(title, route.railwayId.c_str(), route.railway);
    if (!s)
        return;
    std::string utf8 = cp932ToUtf8(s->title);
    route.stops.push_back(SimStop{s->sameAs, utf8, s->latitude, s->longitude, placeOfTitle(net, utf8)});
}

void link(SimNetwork& net, const SimStop& a, const SimStop& b)
{
    double km = distanceKm(a.latitude, a.longitude, b.latitude, b.longitude);
    net.places[a.place].next.emplace_back(b.place, km);
    net.places[b.place].next.emplace_back(a.place, km);
}

}  // namespace

double distanceKm(double lat1, double lon1, double lat2, double lon2)
{
    constexpr double kEarthRadiusKm = 6371.0;
    constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;
    double dlat = (lat2 - lat1) * kRadiansPerDegree, dlon = (lon2 - lon1) * kRadiansPerDegree;
    double h = std::sin(dlat / 2) * std::sin(dlat / 2) + std::cos(lat1 * kRadiansPerDegree) *
                                                             std::cos(lat2 * kRadiansPerDegree) *
                                                             std::sin(dlon / 2) * std::sin(dlon / 2);
    return 2 * kEarthRadiusKm * std::asin(std::sqrt(h));
}

SimNetwork buildSimNetwork()
{
    SimNetwork net;
    for (int k = 0; k < railwayCount; ++k) {
        SimRoute route{railways[k].railwayId, k, k, {}};
        int count = k == kBranchLine ? kBranchFirstSlot : railways[k].stationCount;
        for (int p = 0; p < count; ++p)
            addStop(net, route, lineStations[k][p]);
        net.routes.push_back(std::move(route));
    }
    SimRoute branch{kBranchRailwayId, kBranchLine, kBranchIndex, {}};
    addStop(net, branch, lineStations[kBranchLine][kBranchJoinSlot]);
    for (int p = kBranchFirstSlot; p < railways[kBranchLine].stationCount; ++p)
        addStop(net, branch, lineStations[kBranchLine][p]);
    net.routes.push_back(std::move(branch));

    for (const SimRoute& r : net.routes)
        for (size_t i = 1; i < r.stops.size(); ++i)
            link(net, r.stops[i - 1], r.stops[i]);

    for (const StationEntry& s : stations) {
        net.sameAs.push_back(s.sameAs);
        net.sameAsPlace.push_back(placeOfTitle(net, cp932ToUtf8(s.title)));
    }
    return net;
}

int placeOfStation(const SimNetwork& net, const std::string& sameAs)
{
    for (size_t i = 0; i < net.sameAs.size(); ++i)
        if (net.sameAs[i] == sameAs)
            return net.sameAsPlace[i];
    return -1;
}

double networkDistanceKm(const SimNetwork& net, int fromPlace, int toPlace)
{
    std::vector<double> best(net.places.size(), -1.0);
    using Item = std::pair<double, int>;
    std::priority_queue<Item, std::vector<Item>, std::greater<Item>> open;
    best[fromPlace] = 0.0;
    open.emplace(0.0, fromPlace);
    while (!open.empty()) {
        auto [d, p] = open.top();
        open.pop();
        if (d > best[p])
            continue;
        if (p == toPlace)
            return d;
        for (auto [q, km] : net.places[p].next) {
            if (best[q] < 0 || d + km < best[q]) {
                best[q] = d + km;
                open.emplace(best[q], q);
            }
        }
    }
    return -1.0;
}
