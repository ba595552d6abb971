// Sections: names and times / trips / reading an answer.
#include "opendata/timetable.h"

#include <nlohmann/json.hpp>

#include <algorithm>

#include "opendata/calendar.h"

// ---- names and times ----

std::uint32_t timetableName(Timetable& table, std::string_view name) {
    if (table.names.empty()) {
        table.names.emplace_back();
        table.nameIndex.emplace(std::string(), 0);
    }
    std::string word(name);
    for (char& c : word)
        if (static_cast<unsigned char>(c) < 0x21) c = '_';
    auto [it, added] = table.nameIndex.try_emplace(std::move(word), static_cast<std::uint32_t>(table.names.size()));
    if (added) table.names.push_back(it->first);
    return it->second;
}

std::int32_t timetableSeconds(std::string_view text) {
    auto two = [&](std::size_t at) {
        const char a = text[at], b = text[at + 1];
        return a >= '0' && a <= '9' && b >= '0' && b <= '9' ? (a - '0') * 10 + (b - '0') : -1;
    };
    if ((text.size() != 5 && text.size() != 8) || text[2] != ':' || (text.size() == 8 && text[5] != ':')) return -1;
    const int hour = two(0), minute = two(3), second = text.size() == 8 ? two(6) : 0;
    if (hour < 0 || hour > 29 || minute < 0 || minute > 59 || second < 0 || second > 59) return -1;
    const std::int32_t s = hour * 3600 + minute * 60 + second;
    return s < serviceDayStartSeconds ? s + 86400 : s;
}

// ---- trips ----

bool addTrip(Timetable& table, const TimetableTrip& names, const std::vector<PublishedStop>& published) {
    // the stops that have a station, with their time (departure, else arrival)
    struct Stop {
        std::int32_t time, arrival;
        std::string_view station;
    };
    std::vector<Stop> stop;
    stop.reserve(published.size());
    for (const PublishedStop& p : published)
        if (!p.station.empty()) stop.push_back(Stop{p.departure >= 0 ? p.departure : p.arrival, p.arrival, p.station});

    // untimed stops at the ends have nothing to be placed between
    std::size_t first = 0, end = stop.size();
    while (first < end && stop[first].time < 0) ++first;
    while (end > first && stop[end - 1].time < 0) --end;
    if (end - first < 2) return false;

    for (std::size_t k = first + 1, timed = first; k < end; ++k) {
        if (stop[k].time < 0) continue;
        const std::int64_t from = stop[timed].time, to = std::max(stop[k].time, stop[timed].time);
        for (std::size_t i = timed + 1; i < k; ++i)
            stop[i].time = static_cast<std::int32_t>(from + (to - from) * static_cast<std::int64_t>(i - timed) /
                                                                static_cast<std::int64_t>(k - timed));
        timed = k;
    }

    TimetableTrip trip = names;
    trip.firstStop = static_cast<std::uint32_t>(table.stops.size());
    trip.stopCount = static_cast<std::uint32_t>(end - first);
    std::int32_t left = stop[first].time;  // when the train left the stop before
    for (std::size_t k = first; k < end; ++k) {
        const std::int32_t depart = std::max(stop[k].time, left);
        std::int32_t arrive = stop[k].arrival >= 0 ? stop[k].arrival : depart - standingSeconds;
        arrive = std::clamp(arrive, left, depart);
        if (k == first) arrive = depart;
        TimetableStop s{arrive, depart, timetableName(table, stop[k].station)};
        if (k + 1 == end) s.depart = s.arrive;
        table.stops.push_back(s);
        left = depart;
    }
    table.trips.push_back(trip);
    return true;
}

// ---- reading an answer ----

namespace {

using Json = nlohmann::json;

// A text member, or the first text of an array member; empty otherwise.
std::string_view textOf(const Json& value) {
    if (value.is_array()) return value.empty() ? std::string_view() : textOf(value.front());
    return value.is_string() ? std::string_view(value.get_ref<const std::string&>()) : std::string_view();
}

std::string_view member(const Json& object, const char* key) {
    const auto found = object.find(key);
    return found == object.end() ? std::string_view() : textOf(*found);
}

std::int32_t memberTime(const Json& object, const char* key) {
    const std::string_view text = member(object, key);
    return text.empty() ? -1 : timetableSeconds(text);
}

}  // namespace

TimetableLoad loadTimetableV4(Timetable& table, std::string_view utf8) {
    TimetableLoad load;
    // nlohmann's parser, as for the version-4 answers, on every platform
    // (Debian has no Windows build of a faster one).
    const Json answer = Json::parse(utf8.begin(), utf8.end(), nullptr, false);
    if (!answer.is_array()) return load;
    load.ok = true;
    timetableName(table, std::string_view());
    std::vector<PublishedStop> stops;
    for (const Json& object : answer) {
        ++load.objects;
        if (!object.is_object()) continue;
        const std::string_view number = member(object, "odpt:trainNumber");
        const auto objects = object.find("odpt:trainTimetableObject");
        if (number.empty() || objects == object.end() || !objects->is_array()) continue;
        stops.clear();
        for (const Json& stop : *objects) {
            if (!stop.is_object()) continue;
            PublishedStop p;
            p.arrival = memberTime(stop, "odpt:arrivalTime");
            p.departure = memberTime(stop, "odpt:departureTime");
            p.station = member(stop, "odpt:departureStation");
            if (p.station.empty()) p.station = member(stop, "odpt:arrivalStation");
            stops.push_back(p);
        }
        TimetableTrip names{};
        names.number = timetableName(table, number);
        names.type = timetableName(table, member(object, "odpt:trainType"));
        names.railway = timetableName(table, member(object, "odpt:railway"));
        names.direction = timetableName(table, member(object, "odpt:railDirection"));
        names.origin = timetableName(table, member(object, "odpt:originStation"));
        names.destination = timetableName(table, member(object, "odpt:destinationStation"));
        names.owner = timetableName(table, member(object, "odpt:trainOwner"));
        if (addTrip(table, names, stops)) ++load.trips;
    }
    return load;
}
