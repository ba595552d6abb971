// Sections: hashing and delays / timetable / scheduled trips / running trains.
#include "sim/model/train_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "network/branch.h"
#include "opendata/calendar.h"

namespace {

constexpr int kDwellSeconds = 30;
constexpr int kFirstDepartureMinute = 5 * 60;
constexpr int kLastDepartureMinute = 24 * 60 + 30;
constexpr int kTozai = 3;
constexpr int kFukutoshin = 8;

// Operators whose trains run through onto a route, and the station of theirs
// a through train starts from or runs to beyond the route's first or last stop.
struct ThroughService {
    char letter;        // train number suffix of the owner
    const char* owner;  // odpt.TrainOwner identifier
    const char* beyondFront;
    const char* beyondBack;
};

const ThroughService metroOwned{'S', "odpt.TrainOwner:TokyoMetro", nullptr, nullptr};

const ThroughService throughServices[kSimRouteCount] = {
    metroOwned,
    metroOwned,
    {'T', "odpt.TrainOwner:Tobu", nullptr, "odpt.Station:Tobu.TobuSkytree.TobuDobutsuKoen"},
    {'K', "odpt.TrainOwner:JR-East", "odpt.Station:JR-East.ChuoSobu.Mitaka",
     "odpt.Station:JR-East.ChuoSobu.Tsudanuma"},
    {'K', "odpt.TrainOwner:JR-East", nullptr, "odpt.Station:JR-East.Joban.Abiko"},
    {'T', "odpt.TrainOwner:Tobu", "odpt.Station:Tobu.Tojo.Shinrinkoen", nullptr},
    {'K', "odpt.TrainOwner:Tokyu", "odpt.Station:Tokyu.DenEnToshi.ChuoRinkan", nullptr},
    {'K', "odpt.TrainOwner:Tokyu", "odpt.Station:Tokyu.Meguro.Hiyoshi", nullptr},
    {'K', "odpt.TrainOwner:Tokyu", nullptr, "odpt.Station:Tokyu.Toyoko.Yokohama"},
    metroOwned,
};

// Stops passed without a halt: 東西線 rapids between 東陽町 and 西船橋 (stopping
// at 浦安), 副都心線 expresses everywhere but the six express stops.
bool passes(int route, bool fast, size_t stop, size_t stopCount)
{
    if (!fast)
        return false;
    if (route == kTozai)
        return stop >= 14 && stop <= 21 && stop != 17;
    if (route == kFukutoshin) {
        static const size_t expressStops[] = {0, 5, 8, 12, 14, 15};
        return stop + 1 < stopCount &&
               std::find(std::begin(expressStops), std::end(expressStops), stop) == std::end(expressStops);
    }
    return false;
}

bool fastService(int route, int departure)
{
    if (route == kTozai)
        return departure % 4 == 2;
    if (route == kFukutoshin)
        return departure % 3 == 0;
    return false;
}

const char* typeId(int route, bool fast)
{
    if (!fast)
        return "odpt.TrainType:TokyoMetro.Local";
    return route == kTozai ? "odpt.TrainType:TokyoMetro.Rapid" : "odpt.TrainType:TokyoMetro.Express";
}

std::string lastPart(const std::string& id)
{
    return id.substr(id.rfind('.') + 1);
}

// Arrival and departure at each stop, seconds after the departure from the first.
struct Profile {
    std::vector<int> arrive;
    std::vector<int> depart;
};

Profile tripProfile(const SimRoute& route, int direction, bool fast)
{
    size_t n = route.stops.size();
    Profile p;
    p.arrive.resize(n);
    p.depart.resize(n);
    int t = 0;
    for (size_t k = 0; k < n; ++k) {
        size_t i = direction == 0 ? k : n - 1 - k;
        if (k == 0) {
            p.arrive[k] = -kDwellSeconds;  // the train stands at its first stop before leaving
            p.depart[k] = 0;
            continue;
        }
        size_t prev = direction == 0 ? i - 1 : i + 1;
        const SimStop& a = route.stops[prev];
        const SimStop& b = route.stops[i];
        double km = distanceKm(a.latitude, a.longitude, b.latitude, b.longitude);
        t += std::clamp(static_cast<int>(45 + 60 * km), 60, 180);
        p.arrive[k] = t;
        if (!passes(route.digit, fast, i, n))
            t += kDwellSeconds;
        p.depart[k] = t;
    }
    return p;
}

}  // namespace

std::uint64_t simHash(std::uint64_t a, std::uint64_t b, std::uint64_t c)
{
    std::uint64_t x = a * 0x9E3779B97F4A7C15ull ^ (b + 0x632BE59BD9B4E019ull) * 0xBF58476D1CE4E5B9ull ^
                      (c + 0x85EBCA77C2B2AE63ull) * 0x94D049BB133111EBull;
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9ull;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// ---- hashing and delays ----

std::vector<DelayEpisode> delayEpisodes(std::uint32_t seed, int route, std::int64_t firstHour,
                                        std::int64_t lastHour)
{
    std::vector<DelayEpisode> out;
    for (std::int64_t hour = firstHour; hour <= lastHour; ++hour) {
        std::uint64_t h = simHash(seed, static_cast<std::uint64_t>(route), static_cast<std::uint64_t>(hour));
        if (h % 100 >= 8)
            continue;  // about one hour in twelve
        int peak = 60 * static_cast<int>(2 + (h >> 8) % 9);
        int hold = 300 + static_cast<int>((h >> 16) % 900);
        std::int64_t start = hour * 3600 - kJapanOffsetSeconds + static_cast<std::int64_t>((h >> 32) % 3600);
        // builds at half speed, holds, then recovers at a third of the speed
        out.push_back(DelayEpisode{start, peak, start + 2 * peak + hold + 3 * peak});
    }
    return out;
}

double routeLag(std::uint32_t seed, int route, std::int64_t t)
{
    // episodes last at most 2·600 + 1200 + 3·600 s, so three hours cover all
    std::int64_t hour = floorDiv(t + kJapanOffsetSeconds, 3600);
    double lag = 0;
    for (const DelayEpisode& e : delayEpisodes(seed, route, hour - 2, hour)) {
        if (t < e.start || t >= e.end)
            continue;
        double since = static_cast<double>(t - e.start);
        double left = static_cast<double>(e.end - t);
        lag += std::min({since / 2, static_cast<double>(e.peak), left / 3});
    }
    return lag;
}

// ---- timetable ----

int headwaySeconds(int route, int minuteOfDay)
{
    int h;
    if (minuteOfDay < 7 * 60)
        h = 360;
    else if (minuteOfDay < 9 * 60 + 30)
        h = 150;
    else if (minuteOfDay < 17 * 60)
        h = 300;
    else if (minuteOfDay < 20 * 60)
        h = 180;
    else if (minuteOfDay < 23 * 60)
        h = 300;
    else
        h = 480;
    return route == kBranchIndex ? std::max(2 * h, 480) : h;
}

// ---- scheduled trips ----

namespace {

// Calls visit(trip, profile, s) for every run of the route, the trip without
// its stops, profile its times after the first departure s (seconds after the
// service date's midnight).
template <class Visit>
void forEachRun(const SimNetwork& net, int routeIndex, Visit visit)
{
    const SimRoute& route = net.routes[routeIndex];
    const int r = route.digit;
    if (route.stops.size() < 2)
        return;
    for (int dir = 0; dir < 2; ++dir) {
        const Profile local = tripProfile(route, dir, false);
        const Profile fast = tripProfile(route, dir, true);
        int departure = 0, hourSeen = -1, inHour = 0;
        for (int s = kFirstDepartureMinute * 60 + dir * 60 + r * 17; s <= kLastDepartureMinute * 60;
             s += headwaySeconds(r, s / 60), ++departure) {
            const int hour = s / 3600;
            inHour = hour == hourSeen ? inHour + 1 : 0;
            hourSeen = hour;
            SimScheduledTrip trip{routeIndex, dir, departure, hour, inHour, fastService(r, departure), {}};
            visit(trip, trip.fast ? fast : local, s);
        }
    }
}

void addStops(const SimRoute& route, const Profile& p, int s, SimScheduledTrip& trip)
{
    const size_t n = route.stops.size();
    for (size_t k = 0; k < n; ++k) {
        const size_t i = trip.direction == 0 ? k : n - 1 - k;
        trip.stops.push_back(SimScheduledStop{static_cast<int>(i), s + p.arrive[k], s + p.depart[k],
                                              k > 0 && p.arrive[k] == p.depart[k] && k + 1 < n});
    }
}

}  // namespace

std::vector<SimScheduledTrip> scheduledTrips(const SimNetwork& net, int routeIndex)
{
    std::vector<SimScheduledTrip> out;
    forEachRun(net, routeIndex, [&](SimScheduledTrip& trip, const Profile& p, int s) {
        addStops(net.routes[routeIndex], p, s, trip);
        out.push_back(std::move(trip));
    });
    return out;
}

SimTrain describeTrip(const SimNetwork& net, const SimScheduledTrip& trip, bool holidayTimetable)
{
    const SimRoute& route = net.routes[trip.route];
    const int r = route.digit;
    const ThroughService& through = throughServices[r];
    SimTrain tr;
    tr.route = trip.route;
    tr.railwayId = route.railwayId;
    char number[48];  // "A0812S"; room for any int in each field
    const bool foreign = through.beyondFront || through.beyondBack ? trip.departure % 3 == 1 : false;
    const ThroughService& owner = foreign ? through : metroOwned;
    // As in the published timetables, the number does not say the line: the
    // same numbers run on several lines at once.
    std::snprintf(number, sizeof number, "%c%02d%02d%c", holidayTimetable ? 'B' : 'A', trip.hour % 24,
                  2 * trip.inHour + trip.direction, owner.letter);
    tr.number = number;
    tr.type = typeId(r, trip.fast);
    const std::string& first = (trip.direction == 0 ? route.stops.front() : route.stops.back()).sameAs;
    const std::string& last = (trip.direction == 0 ? route.stops.back() : route.stops.front()).sameAs;
    const char* beyondStart = trip.direction == 0 ? owner.beyondFront : owner.beyondBack;
    const char* beyondEnd = trip.direction == 0 ? owner.beyondBack : owner.beyondFront;
    tr.startingStation = beyondStart ? beyondStart : first;
    tr.terminalStation = beyondEnd ? beyondEnd : last;
    tr.direction = "odpt.RailDirection:TokyoMetro." + lastPart(last);
    tr.owner = owner.owner;
    tr.delay = 0;
    return tr;
}

// ---- running trains ----

std::vector<SimTrain> runningTrains(const SimNetwork& net, std::uint32_t seed, std::int64_t t)
{
    std::vector<SimTrain> out;
    for (size_t routeIndex = 0; routeIndex < net.routes.size(); ++routeIndex) {
        const SimRoute& route = net.routes[routeIndex];
        const double lag = routeLag(seed, route.digit, t);
        const double tau = static_cast<double>(t) - lag;  // where the timetable has got to
        const ServiceTime when = serviceTimeOf(static_cast<std::int64_t>(std::floor(tau)));
        const std::int64_t midnight = japanMidnight(when.date);
        const double e = tau - static_cast<double>(midnight);
        const bool holiday = calendarOf(when.date) == ServiceCalendar::SaturdayHoliday;
        forEachRun(net, static_cast<int>(routeIndex), [&](SimScheduledTrip& trip, const Profile& p, int s) {
            if (e < s + p.arrive.front() || e >= s + p.depart.back())
                return;
            addStops(route, p, s, trip);
            SimTrain tr = describeTrip(net, trip, holiday);
            tr.delay = static_cast<int>(lag / 60) * 60;
            for (size_t k = 0; k < trip.stops.size(); ++k) {
                if (e < trip.stops[k].arrive)
                    break;
                tr.fromStation = route.stops[trip.stops[k].stop].sameAs;
                tr.toStation = e < trip.stops[k].depart || k + 1 == trip.stops.size()
                                   ? std::string()
                                   : route.stops[trip.stops[k + 1].stop].sameAs;
            }
            out.push_back(std::move(tr));
        });
    }
    return out;
}
