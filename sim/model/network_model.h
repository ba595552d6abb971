#pragma once
// The feed's own copy of the network, taken from the compiled-in tables once
// when a feed starts: the routes trains run on and the graph fares are
// measured on. Later re-sorting of the station table does not affect it.
#include <string>
#include <vector>

#include "network/branch.h"

// One stop of a route.
struct SimStop {
    std::string sameAs;  // station identifier of the record trains report
    std::string title;   // Japanese name, UTF-8
    double latitude;     // degrees north
    double longitude;    // degrees east
    int place;           // index into SimNetwork::places
};

// A line trains run on, both ways; direction 0 runs from stops.front() to stops.back().
struct SimRoute {
    std::string railwayId;       // odpt:railway of its trains
    int railway;                 // railway index 0..8 (the branch belongs to 1)
    int digit;                   // route digit in train numbers, 0..9
    std::vector<SimStop> stops;  // in running order
};

// A station place: every record with one title.
struct SimPlace {
    std::string title;                         // UTF-8
    std::vector<std::pair<int, double>> next;  // neighbouring place, distance in km
};

// Routes, places and station identifiers of the network.
struct SimNetwork {
    std::vector<SimRoute> routes;     // the nine railways, then the 丸ノ内線 branch shuttle
    std::vector<SimPlace> places;     // distinct titles
    std::vector<std::string> sameAs;  // every station identifier of the table
    std::vector<int> sameAsPlace;     // place of sameAs[i]
};

// Number of routes: nine railways and the branch shuttle.
constexpr int kSimRouteCount = kBranchIndex + 1;

// Builds the network from the station and railway tables.
SimNetwork buildSimNetwork();

// Great-circle distance in km between two points given in degrees.
double distanceKm(double lat1, double lon1, double lat2, double lon2);

// Place of a station identifier, or -1 when it is not in the table.
int placeOfStation(const SimNetwork& net, const std::string& sameAs);

// Shortest distance along the network in km between two places (transfers
// between records of one title are free); negative when unreachable.
double networkDistanceKm(const SimNetwork& net, int fromPlace, int toPlace);
