#pragma once
// The train model: every route runs both ways on a timetable whose headway
// follows the time of day (no service between about 1:00 and 5:00 Japan time),
// with dwell and run times, and delay episodes that slow a whole route for a
// while. Everything is a pure function of the seed and the time.
#include <cstdint>
#include <string>
#include <vector>

#include "sim/model/network_model.h"

// One running train as the Train datapoint reports it.
struct SimTrain {
    int route;  // index into SimNetwork::routes
    std::string railwayId;
    std::string number;           // e.g. "A0812S", also a number of other lines' trains
    std::string type;             // odpt.TrainType identifier
    std::string startingStation;  // may be a station of another operator
    std::string terminalStation;
    std::string fromStation;
    std::string toStation;  // empty while the train stands at fromStation (null)
    std::string direction;  // odpt.RailDirection identifier
    std::string owner;      // odpt.TrainOwner identifier
    int delay;              // seconds, a multiple of 60
};

// A spell during which a route's trains fall behind and catch up again.
struct DelayEpisode {
    std::int64_t start;  // Unix time the delay starts to build
    int peak;            // greatest delay in seconds
    std::int64_t end;    // Unix time the route is back on time
};

// The delay episodes of a route that start in the Japan-time hours
// [firstHour, lastHour] (hours counted from the Unix epoch).
std::vector<DelayEpisode> delayEpisodes(std::uint32_t seed, int route, std::int64_t firstHour,
                                        std::int64_t lastHour);

// How far, in seconds, a route's trains run behind the timetable at Unix time t.
double routeLag(std::uint32_t seed, int route, std::int64_t t);

// Headway in seconds of a route at a Japan time of day given in minutes
// after the service day's midnight (may exceed 1440 after midnight).
int headwaySeconds(int route, int minuteOfDay);

// One stop of a scheduled trip; times in seconds after the service date's midnight.
struct SimScheduledStop {
    int stop;     // index into the route's stops
    int arrive;   // when the train reaches it (30 s before it leaves the first)
    int depart;   // when it leaves (for the last stop: when it leaves the map)
    bool passed;  // passed without a halt
};

// One run of a route as the timetable plans it, without delays.
struct SimScheduledTrip {
    int route;                            // index into SimNetwork::routes
    int direction;                        // 0 runs from stops.front() to stops.back()
    int departure;                        // its place among the route's runs of that direction
    int hour;                             // hour of its first departure after the service date's midnight
    int inHour;                           // its place among the runs that leave in that hour
    bool fast;                            // rapid or express
    std::vector<SimScheduledStop> stops;  // every stop of the route in running order
};

// The runs of a route on a service day, each direction by departure; every
// service day plans the same runs.
std::vector<SimScheduledTrip> scheduledTrips(const SimNetwork& net, int route);

// The train of a run, without a place or delay: numbers start with 'B' on
// the Saturday and holiday timetable, with 'A' on the weekday one.
SimTrain describeTrip(const SimNetwork& net, const SimScheduledTrip& trip, bool holidayTimetable);

// The trains running at Unix time t, ordered by route, direction and departure.
std::vector<SimTrain> runningTrains(const SimNetwork& net, std::uint32_t seed, std::int64_t t);

// A mixing hash of three values, for deterministic choices.
std::uint64_t simHash(std::uint64_t a, std::uint64_t b, std::uint64_t c);
