// Sections: writing / reading.
#include "opendata/timetable_cache.h"

#include <cinttypes>
#include <cstdio>

namespace {

constexpr char kMagic[] = "linewatch-timetable 1";

std::uint64_t fnv1a(std::string_view text)
{
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (unsigned char c : text) {
        h ^= c;
        h *= 0x100000001b3ull;
    }
    return h;
}

std::string checkLine(std::string_view body)
{
    char line[40];  // "check " + 16 hex digits + "\n"
    std::snprintf(line, sizeof line, "check %016" PRIx64 "\n", fnv1a(body));
    return line;
}

std::string lastPart(const std::string& id)
{
    const std::size_t dot = id.find_last_of(".:");
    return dot == std::string::npos ? id : id.substr(dot + 1);
}

// Reads lines and whole numbers off a text; every failure is sticky.
struct Reader {
    std::string_view text;
    std::size_t at = 0;
    bool ok = true;

    std::string_view line()
    {
        const std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) {
            ok = false;
            return {};
        }
        std::string_view l = text.substr(at, end - at);
        at = end + 1;
        return l;
    }
    void expect(const std::string& wanted)
    {
        if (line() != wanted)
            ok = false;
    }
    // Skips prefix, which must come next.
    void skip(std::string_view prefix)
    {
        if (text.substr(at, prefix.size()) != prefix)
            ok = false;
        at += prefix.size();
    }
    // A decimal number in [0, limit) followed by `after`.
    std::uint32_t number(std::uint64_t limit, char after)
    {
        std::uint64_t v = 0;
        std::size_t digits = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 12) {
            v = v * 10 + static_cast<std::uint64_t>(text[at++] - '0');
            ++digits;
        }
        if (digits == 0 || v >= limit || at >= text.size() || text[at] != after)
            ok = false;
        ++at;
        return ok ? static_cast<std::uint32_t>(v) : 0;
    }
};

}  // namespace

// ---- writing ----

std::string timetableCacheText(const Timetable& table, const TimetableTag& tag)
{
    std::string out = std::string(kMagic) + "\nsource " + tag.source + "\nday " + tag.day + "\ncalendar " +
                      tag.calendar + "\nrailway " + tag.railway + "\nnames " +
                      std::to_string(table.names.size()) + "\n";
    for (const std::string& name : table.names)
        out += name + '\n';
    out += "trips " + std::to_string(table.trips.size()) + '\n';
    char line[96];  // eight 32-bit numbers and their separators
    for (const TimetableTrip& t : table.trips) {
        std::snprintf(line, sizeof line, "%u %u %u %u %u %u %u %u\n", t.number, t.type, t.railway,
                      t.direction, t.origin, t.destination, t.owner, t.stopCount);
        out += line;
        for (std::uint32_t k = 0; k < t.stopCount; ++k) {
            const TimetableStop& s = table.stops[t.firstStop + k];
            std::snprintf(line, sizeof line, "%d %d %u\n", s.arrive, s.depart, s.station);
            out += line;
        }
    }
    return out + checkLine(out);
}

std::string timetableCacheName(const TimetableTag& tag)
{
    return tag.day + "." + lastPart(tag.calendar) + "." + lastPart(tag.railway) + ".timetable";
}

// ---- reading ----

bool readTimetableCache(std::string_view text, const TimetableTag& tag, Timetable* table)
{
    *table = Timetable{};
    const std::size_t checkAt = text.rfind("check ");
    if (checkAt == std::string_view::npos || text.substr(checkAt) != checkLine(text.substr(0, checkAt)))
        return false;
    Reader r{text.substr(0, checkAt)};
    r.expect(kMagic);
    r.expect("source " + tag.source);
    r.expect("day " + tag.day);
    r.expect("calendar " + tag.calendar);
    r.expect("railway " + tag.railway);
    r.skip("names ");
    // a name takes a line of at least one byte, so the text bounds every count
    const std::uint32_t names = r.number(r.text.size(), '\n');
    Timetable t;
    for (std::uint32_t i = 0; i < names && r.ok; ++i)
        if (timetableName(t, r.line()) != i)
            r.ok = false;  // names are distinct words, the empty one first
    r.skip("trips ");
    const std::uint32_t trips = r.number(r.text.size(), '\n');
    const auto nameCount = static_cast<std::uint64_t>(t.names.size());
    for (std::uint32_t i = 0; i < trips && r.ok; ++i) {
        TimetableTrip trip{};
        trip.number = r.number(nameCount, ' ');
        trip.type = r.number(nameCount, ' ');
        trip.railway = r.number(nameCount, ' ');
        trip.direction = r.number(nameCount, ' ');
        trip.origin = r.number(nameCount, ' ');
        trip.destination = r.number(nameCount, ' ');
        trip.owner = r.number(nameCount, ' ');
        trip.stopCount = r.number(r.text.size(), '\n');
        trip.firstStop = static_cast<std::uint32_t>(t.stops.size());
        if (trip.stopCount < 2)
            r.ok = false;
        std::int32_t left = 0;
        for (std::uint32_t k = 0; k < trip.stopCount && r.ok; ++k) {
            TimetableStop s;
            s.arrive = static_cast<std::int32_t>(r.number(200000, ' '));
            s.depart = static_cast<std::int32_t>(r.number(200000, ' '));
            s.station = r.number(nameCount, '\n');
            // the order the estimate relies on
            if (s.arrive < left || s.depart < s.arrive)
                r.ok = false;
            left = s.depart;
            t.stops.push_back(s);
        }
        t.trips.push_back(trip);
    }
    if (!r.ok || r.at != r.text.size())
        return false;
    *table = std::move(t);
    return true;
}
