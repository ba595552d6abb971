// Sections: names and times / trips / reading an answer.
#include "opendata/timetable.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>

#include "opendata/calendar.h"
#include "opendata/api.h"
#include "platform/key_mask.h"

// ---- names and times ----

namespace {

// A name as the table keeps it: one word. Names are printed and saved in
// the cache: a key a server put in one is masked before its control bytes
// become "_", which would hide it.
std::string nameWord(std::string_view name)
{
    std::string word = maskKey(name, name.size(), consumerKey());
    for (char& c : word)
        if (static_cast<unsigned char>(c) < 0x21)
            c = '_';
    return word;
}

// Bytes of text's characters outside the string itself (none when they fit in it).
std::size_t heapBytes(const std::string& text)
{
    const char* self = reinterpret_cast<const char*>(&text);
    const bool inside = text.data() >= self && text.data() < self + sizeof text;
    return inside ? 0 : text.capacity() + 1;
}

}  // namespace

std::uint32_t timetableName(Timetable& table, std::string_view name)
{
    if (table.names.empty()) {
        table.names.emplace_back();
        table.nameIndex.emplace(std::string(), 0);
    }
    auto [it, added] =
        table.nameIndex.try_emplace(nameWord(name), static_cast<std::uint32_t>(table.names.size()));
    if (added)
        table.names.push_back(it->first);
    return it->second;
}

std::size_t timetableBytes(const Timetable& table)
{
    std::size_t bytes = sizeof table + table.names.capacity() * sizeof(std::string) +
                        table.trips.capacity() * sizeof(TimetableTrip) +
                        table.stops.capacity() * sizeof(TimetableStop) +
                        table.nameIndex.bucket_count() * sizeof(void*);
    for (const std::string& name : table.names)
        bytes += heapBytes(name);
    // an index entry is a node of its key and value, the next node and the key's hash
    for (const auto& entry : table.nameIndex)
        bytes += sizeof entry + sizeof(void*) + sizeof(std::size_t) + heapBytes(entry.first);
    return bytes;
}

std::int32_t timetableSeconds(std::string_view text)
{
    auto two = [&](std::size_t at) {
        const char a = text[at], b = text[at + 1];
        return a >= '0' && a <= '9' && b >= '0' && b <= '9' ? (a - '0') * 10 + (b - '0') : -1;
    };
    if ((text.size() != 5 && text.size() != 8) || text[2] != ':' || (text.size() == 8 && text[5] != ':'))
        return -1;
    const int hour = two(0), minute = two(3), second = text.size() == 8 ? two(6) : 0;
    if (hour < 0 || hour > 29 || minute < 0 || minute > 59 || second < 0 || second > 59)
        return -1;
    const std::int32_t s = hour * 3600 + minute * 60 + second;
    return s < kServiceDayStartSeconds ? static_cast<std::int32_t>(s + kSecondsPerDay) : s;
}

// ---- trips ----

namespace {

// addTrip with the stations' indices found by stationIndex(name).
template <typename StationIndex>
bool addTripNamed(Timetable& table, const TimetableTrip& names, const std::vector<PublishedStop>& published,
                  StationIndex stationIndex)
{
    // the stops that have a station, with their time (departure, else arrival)
    struct Stop {
        std::int32_t time, arrival;
        std::string_view station;
    };
    std::vector<Stop> stop;
    stop.reserve(published.size());
    for (const PublishedStop& p : published)
        if (!p.station.empty())
            stop.push_back(Stop{p.departure >= 0 ? p.departure : p.arrival, p.arrival, p.station});

    // untimed stops at the ends have nothing to be placed between
    std::size_t first = 0, end = stop.size();
    while (first < end && stop[first].time < 0)
        ++first;
    while (end > first && stop[end - 1].time < 0)
        --end;
    if (end - first < 2)
        return false;

    for (std::size_t k = first + 1, timed = first; k < end; ++k) {
        if (stop[k].time < 0)
            continue;
        const std::int64_t from = stop[timed].time, to = std::max(stop[k].time, stop[timed].time);
        for (std::size_t i = timed + 1; i < k; ++i)
            stop[i].time =
                static_cast<std::int32_t>(from + (to - from) * static_cast<std::int64_t>(i - timed) /
                                                     static_cast<std::int64_t>(k - timed));
        timed = k;
    }

    TimetableTrip trip = names;
    trip.firstStop = static_cast<std::uint32_t>(table.stops.size());
    trip.stopCount = static_cast<std::uint32_t>(end - first);
    std::int32_t left = stop[first].time;  // when the train left the stop before
    for (std::size_t k = first; k < end; ++k) {
        const std::int32_t depart = std::max(stop[k].time, left);
        std::int32_t arrive = stop[k].arrival >= 0 ? stop[k].arrival : depart - kStandingSeconds;
        arrive = std::clamp(arrive, left, depart);
        if (k == first)
            arrive = depart;
        TimetableStop s{arrive, depart, stationIndex(stop[k].station)};
        if (k + 1 == end)
            s.depart = s.arrive;
        table.stops.push_back(s);
        left = depart;
    }
    table.trips.push_back(trip);
    return true;
}

}  // namespace

bool addTrip(Timetable& table, const TimetableTrip& names, const std::vector<PublishedStop>& published)
{
    return addTripNamed(table, names, published,
                        [&](std::string_view station) { return timetableName(table, station); });
}

// ---- reading an answer ----

namespace {

using Json = nlohmann::json;

// The texts of one published stop as they are read.
struct StopTexts {
    std::string arrival, departure, departureStation, arrivalStation;
};

// Reads an answer event by event instead of building its whole tree, which
// takes several times longer and as much memory again as the text. Depth 1 is
// the answer's array, 2 a trip, 3 its stop list, 4 a stop. A member's text is
// its string, or the first scalar of an array when that is a string.
struct TimetableReader : nlohmann::json_sax<Json> {
    Timetable& table;
    TimetableLoad& load;
    int depth = 0;
    bool answerIsArray = false;

    // the trip at depth 2
    std::string number, type, railway, direction, origin, destination, owner;
    bool stopsGiven = false;       // odpt:trainTimetableObject is an array
    bool stopList = false;         // the array at depth 3 is that list
    std::vector<StopTexts> stops;  // its first stopCount are the trip's, the rest kept for their room
    std::size_t stopCount = 0;
    bool inStop = false;
    bool beyondBounds = false;  // a name or the stop list of the trip is too long

    std::string* target = nullptr;  // where the next text goes, until a value is met
    bool stopsKey = false;          // the trip's last key was odpt:trainTimetableObject

    // Names of this answer already in the table and their index: most recur
    // on every trip, and masking each one each time cost more than the parse.
    std::unordered_map<std::string, std::uint32_t> namesMet;
    std::string lookup;  // the name looked for, in a string that keeps its room

    TimetableReader(Timetable& t, TimetableLoad& l) : table(t), load(l) {}

    void scalar()
    {
        target = nullptr;
        stopsKey = false;
        if (depth == 1)
            ++load.objects;
    }
    bool null() override { return scalar(), true; }
    bool boolean(bool) override { return scalar(), true; }
    bool number_integer(number_integer_t) override { return scalar(), true; }
    bool number_unsigned(number_unsigned_t) override { return scalar(), true; }
    bool number_float(number_float_t, const string_t&) override { return scalar(), true; }
    bool binary(binary_t&) override { return scalar(), true; }
    bool string(string_t& text) override
    {
        if (target && text.size() > kTimetableNameCap)
            beyondBounds = true;
        else if (target)
            target->assign(text);  // keeps both buffers' room for the next text
        scalar();
        return true;
    }

    bool start_object(std::size_t) override
    {
        target = nullptr;
        stopsKey = false;
        ++depth;
        if (depth == 2) {
            ++load.objects;
            number.clear(), type.clear(), railway.clear(), direction.clear();
            origin.clear(), destination.clear(), owner.clear();
            stopCount = 0;
            stopsGiven = false;
            beyondBounds = false;
        }
        inStop = depth == 4 && stopList;
        // the stops beyond the bound are not kept while the rest is read
        if (inStop && stopCount == kTimetableStopsPerTripCap) {
            beyondBounds = true;
            inStop = false;
        }
        if (inStop)
            newStop();
        return true;
    }
    bool end_object() override
    {
        // a number too long to keep leaves the number empty; the trip still counts as dropped
        if (depth == 2 && (beyondBounds || (!number.empty() && stopsGiven)))
            addThisTrip();
        if (depth == 4)
            inStop = false;
        --depth;
        target = nullptr;
        return true;
    }
    bool start_array(std::size_t) override
    {
        ++depth;
        if (depth == 1)
            answerIsArray = true;
        if (depth == 2)
            ++load.objects;
        if (depth == 3 && stopsKey)
            stopsGiven = stopList = true;
        stopsKey = false;
        return true;  // an array member keeps its target for its first scalar
    }
    bool end_array() override
    {
        if (depth == 3)
            stopList = false;
        --depth;
        target = nullptr;
        return true;
    }

    bool key(string_t& name) override
    {
        // as a view the lengths are compared first: most keys differ there
        const std::string_view k = name;
        target = nullptr;
        stopsKey = false;
        if (depth == 2) {
            stopsKey = k == "odpt:trainTimetableObject";
            target = k == "odpt:trainNumber"          ? &number
                     : k == "odpt:trainType"          ? &type
                     : k == "odpt:railway"            ? &railway
                     : k == "odpt:railDirection"      ? &direction
                     : k == "odpt:originStation"      ? &origin
                     : k == "odpt:destinationStation" ? &destination
                     : k == "odpt:trainOwner"         ? &owner
                                                      : nullptr;
        } else if (depth == 4 && inStop) {
            StopTexts& s = stops[stopCount - 1];
            target = k == "odpt:arrivalTime"        ? &s.arrival
                     : k == "odpt:departureTime"    ? &s.departure
                     : k == "odpt:departureStation" ? &s.departureStation
                     : k == "odpt:arrivalStation"   ? &s.arrivalStation
                                                    : nullptr;
        }
        return true;
    }

    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override
    {
        return false;
    }

    void newStop()
    {
        if (stopCount == stops.size())
            stops.emplace_back();
        StopTexts& s = stops[stopCount++];
        s.arrival.clear(), s.departure.clear(), s.departureStation.clear(), s.arrivalStation.clear();
    }

    const std::string& stationOf(const StopTexts& s) const
    {
        return s.departureStation.empty() ? s.arrivalStation : s.departureStation;
    }

    // The table's index of name, added when new.
    std::uint32_t nameIndex(std::string_view name)
    {
        lookup.assign(name);
        if (const auto it = namesMet.find(lookup); it != namesMet.end())
            return it->second;
        const std::uint32_t index = timetableName(table, name);
        // as many as the table may hold: names of dropped trips do not grow it further
        if (namesMet.size() < kTimetableNamesCap)
            namesMet.emplace(lookup, index);
        return index;
    }

    // Whether the trip's names find room in the table.
    bool namesFit() const
    {
        // each of the trip's names adds at most one: when all could be new and
        // still fit, none needs looking up
        const std::array<const std::string*, 7> names{&number, &type,        &railway, &direction,
                                                      &origin, &destination, &owner};
        if (table.names.size() + names.size() + stopCount <= kTimetableNamesCap)
            return true;
        std::vector<std::string> added;  // new words, each once
        const auto count = [&](const std::string& name) {
            if (namesMet.count(name))
                return;
            std::string word = nameWord(name);
            if (!table.nameIndex.count(word) && std::find(added.begin(), added.end(), word) == added.end())
                added.push_back(std::move(word));
        };
        for (const std::string* name : names)
            count(*name);
        for (std::size_t k = 0; k < stopCount; ++k)
            count(stationOf(stops[k]));
        return table.names.size() + added.size() <= kTimetableNamesCap;
    }

    void addThisTrip()
    {
        if (beyondBounds || table.trips.size() >= kTimetableTripsCap || !namesFit()) {
            ++load.dropped;
            return;
        }
        std::vector<PublishedStop> published;
        published.reserve(stopCount);
        for (std::size_t k = 0; k < stopCount; ++k) {
            const StopTexts& s = stops[k];
            PublishedStop p;
            p.arrival = s.arrival.empty() ? -1 : timetableSeconds(s.arrival);
            p.departure = s.departure.empty() ? -1 : timetableSeconds(s.departure);
            p.station = stationOf(s);
            published.push_back(p);
        }
        TimetableTrip names{};
        names.number = nameIndex(number);
        names.type = nameIndex(type);
        names.railway = nameIndex(railway);
        names.direction = nameIndex(direction);
        names.origin = nameIndex(origin);
        names.destination = nameIndex(destination);
        names.owner = nameIndex(owner);
        if (addTripNamed(table, names, published, [this](std::string_view s) { return nameIndex(s); }))
            ++load.trips;
    }
};

}  // namespace

TimetableLoad loadTimetableV4(Timetable& table, std::string_view utf8)
{
    TimetableLoad load;
    timetableName(table, std::string_view());
    const std::size_t trips = table.trips.size(), stops = table.stops.size();
    TimetableReader reader(table, load);
    // nlohmann's parser, as for the version-4 answers, on every platform
    // (Debian has no Windows build of a faster one).
    if (!Json::sax_parse(utf8.begin(), utf8.end(), &reader) || !reader.answerIsArray) {
        table.trips.resize(trips);
        table.stops.resize(stops);
        return TimetableLoad{};
    }
    // what the table keeps is what it holds, not what its growth left room for
    table.trips.shrink_to_fit();
    table.stops.shrink_to_fit();
    load.ok = true;
    return load;
}
