#include "app/next_trains.h"

#include "app/timetable_lines.h"
#include "network/stations.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace {

// A trip leaving the station: its stop there and the stop it runs to.
struct Leaving {
    const TimetableTrip* trip;
    std::int32_t depart;
    std::uint32_t nextStation;  // name index
};

// Every trip that leaves name `at` in `direction` (name indices): each stop of
// a trip but its last, and its last too when the train runs on beyond the
// operator's lines (a through service lists only the operator's stops; its
// time there is the arrival).
std::vector<Leaving> leavingTrips(const Timetable& table, std::uint32_t at, std::uint32_t direction)
{
    std::vector<Leaving> out;
    for (const TimetableTrip& trip : table.trips) {
        if (trip.direction != direction)
            continue;
        const TimetableStop* stop = &table.stops[trip.firstStop];
        for (std::uint32_t k = 0; k + 1 < trip.stopCount; ++k)
            if (stop[k].station == at)
                out.push_back({&trip, stop[k].depart, stop[k + 1].station});
        const TimetableStop& end = stop[trip.stopCount - 1];
        if (end.station == at && trip.destination != 0 && trip.destination != at)
            out.push_back({&trip, end.depart, trip.destination});
    }
    return out;
}

// The directions of the trips that call at name `at` (leaving or ending
// there), in the order they first appear.
std::vector<std::uint32_t> directionsAt(const Timetable& table, std::uint32_t at)
{
    std::vector<std::uint32_t> out;
    for (const TimetableTrip& trip : table.trips) {
        if (std::find(out.begin(), out.end(), trip.direction) != out.end())
            continue;
        const TimetableStop* stop = &table.stops[trip.firstStop];
        for (std::uint32_t k = 0; k < trip.stopCount; ++k)
            if (stop[k].station == at) {
                out.push_back(trip.direction);
                break;
            }
    }
    return out;
}

bool nameOf(const Timetable& table, const std::string& name, std::uint32_t* index)
{
    const auto it = table.nameIndex.find(name);
    if (it == table.nameIndex.end())
        return false;
    *index = it->second;
    return true;
}

// How a line's notice changes its departures from one station.
class NoticeEffect {
public:
    NoticeEffect(const LineCondition& c, int line, const Timetable& table, const std::string& station)
        : c_(c), line_(line), table_(table), from_(lineSlotOf(line, station))
    {
    }

    void apply(NextDeparture& d, std::uint32_t nextStation)
    {
        d.expected = d.scheduled + (c_.service == LineService::Suspended ? 0 : c_.delayMinutes * 60);
        d.notRunning = c_.service == LineService::Suspended ||
                       (c_.service == LineService::SectionSuspended && intoSection(nextStation));
        d.uncertain =
            !d.notRunning && (c_.service == LineService::Delayed || c_.service == LineService::Disrupted ||
                              c_.service == LineService::SectionSuspended);
    }

    // The moment that places a departure among the next ones.
    static std::int32_t when(const NextDeparture& d) { return d.notRunning ? d.scheduled : d.expected; }

private:
    // A stop the line's row does not know leaves the train running, as the
    // estimate does.
    bool intoSection(std::uint32_t nextStation)
    {
        auto it = slots_.find(nextStation);
        if (it == slots_.end())
            it = slots_.emplace(nextStation, lineSlotOf(line_, table_.names[nextStation])).first;
        return it->second >= 0 && insideSuspendedSection(c_, line_, from_, it->second);
    }

    const LineCondition& c_;
    const int line_;
    const Timetable& table_;
    const int from_;
    std::unordered_map<std::uint32_t, int> slots_;
};

NextDeparture departure(const Timetable& table, const Leaving& l, std::int32_t lastDepart)
{
    return {&table, l.trip, l.depart, l.depart, l.depart == lastDepart, false, false};
}

std::int32_t lastDeparture(const std::vector<Leaving>& leaving)
{
    std::int32_t last = -1;
    for (const Leaving& l : leaving)
        last = std::max(last, l.depart);
    return last;
}

// The first departures of the next service day, as scheduled.
void firstOfNextDay(DirectionDepartures& d, const TimetableDay* following, int count)
{
    if (!following || !following->loaded[d.table])
        return;
    d.nextDayKnown = true;
    const Timetable& table = following->tables[d.table];
    std::uint32_t at = 0, direction = 0;
    if (!nameOf(table, d.station, &at) || !nameOf(table, d.direction, &direction))
        return;
    std::vector<Leaving> leaving = leavingTrips(table, at, direction);
    const std::int32_t last = lastDeparture(leaving);
    std::sort(leaving.begin(), leaving.end(),
              [](const Leaving& a, const Leaving& b) { return a.depart < b.depart; });
    for (const Leaving& l : leaving) {
        if (static_cast<int>(d.nextDay.size()) >= count)
            break;
        d.nextDay.push_back(departure(table, l, last));
    }
}

void addStation(std::vector<DirectionDepartures>& out, const TimetableDay& day, const TimetableDay* following,
                const LineCondition& condition, int r, const std::string& station, std::int32_t second,
                int count)
{
    const Timetable& table = day.tables[r];
    std::uint32_t at = 0;
    if (!nameOf(table, station, &at))
        return;
    for (std::uint32_t direction : directionsAt(table, at)) {
        DirectionDepartures d;
        d.table = r;
        d.station = station;
        d.direction = table.names[direction];
        const std::vector<Leaving> leaving = leavingTrips(table, at, direction);
        d.departsToday = !leaving.empty();
        const std::int32_t last = lastDeparture(leaving);
        NoticeEffect effect(condition, lineOfTable(r), table, station);
        std::vector<NextDeparture> ahead;
        for (const Leaving& l : leaving) {
            NextDeparture n = departure(table, l, last);
            effect.apply(n, l.nextStation);
            if (NoticeEffect::when(n) >= second)
                ahead.push_back(n);
        }
        std::sort(ahead.begin(), ahead.end(), [](const NextDeparture& a, const NextDeparture& b) {
            const std::int32_t wa = NoticeEffect::when(a), wb = NoticeEffect::when(b);
            return wa != wb ? wa < wb : a.scheduled < b.scheduled;
        });
        if (static_cast<int>(ahead.size()) > count)
            ahead.resize(static_cast<std::size_t>(count));
        d.upcoming = std::move(ahead);
        if (d.upcoming.empty() && d.departsToday)
            firstOfNextDay(d, following, count);
        out.push_back(std::move(d));
    }
}

}  // namespace

std::vector<DirectionDepartures> nextDepartures(const TimetableDay& day, const TimetableDay* following,
                                                const LineCondition (&conditions)[kTimetableRailwayCount],
                                                int station, std::int32_t second, int count)
{
    std::vector<DirectionDepartures> out;
    if (station < 0 || station >= kStationTableSize)
        return out;
    const char* title = stations[station].title;
    for (int r = 0; r < kTimetableRailwayCount; ++r) {
        if (!day.loaded[r])
            continue;
        for (const StationEntry& s : stations)
            if (std::strcmp(s.title, title) == 0 && tableOfRailway(s.railway) == r)
                addStation(out, day, following, conditions[r], r, s.sameAs, second, count);
    }
    return out;
}
