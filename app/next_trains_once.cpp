#include "app/next_trains_once.h"

#include "app/next_trains_query.h"
#include "app/timetables.h"
#include "network/stations.h"
#include "opendata/calendar.h"
#include "opendata/fetch.h"
#include "opendata/parse.h"
#include "platform/charset.h"
#include "platform/console.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

int stationOfNumber(const char* arg)
{
    char* end = nullptr;
    const long n = std::strtol(arg, &end, 10);
    if (end == arg || *end != '\0' || n < 0 || n >= kStationTableSize)
        return -1;
    return static_cast<int>(n);
}

int stationOfTitle(std::string title)
{
    const std::string suffix = "駅";
    if (title.size() > suffix.size() &&
        title.compare(title.size() - suffix.size(), suffix.size(), suffix) == 0)
        title.resize(title.size() - suffix.size());
    const int i = findStationTitle(title.c_str());
    return i == kStationTableSize ? -1 : i;
}

int stationOfCode(const char* arg)
{
    for (int i = 0; i < kStationTableSize; ++i) {
        const char* code = stations[i].stationCode;
        std::size_t k = 0;
        while (code[k] && arg[k] &&
               std::toupper(static_cast<unsigned char>(code[k])) ==
                   std::toupper(static_cast<unsigned char>(arg[k])))
            ++k;
        if (code[k] == '\0' && arg[k] == '\0' && k > 0)
            return i;
    }
    return -1;
}

// Runs load with the console captured; when it left tables out, the lines it
// printed (not its progress line) are shown, so a partial answer says why.
template <class Load>
void loadQuietly(const TimetableDay& day, Load load)
{
    std::string said;
    console_capture(&said);
    load();
    console_capture(nullptr);
    if (loadedTables(day) == kTimetableRailwayCount)
        return;
    std::size_t start = 0;
    while (start < said.size()) {
        const std::size_t end = said.find('\n', start);
        const std::string line = said.substr(start, end == std::string::npos ? end : end - start);
        const std::size_t progress = line.rfind('\r');
        if (end != std::string::npos)
            console_print("%s\n", progress == std::string::npos ? line.c_str() : line.c_str() + progress + 1);
        start = end == std::string::npos ? said.size() : end + 1;
    }
}

// A moment in the service day after now's: noon Japan time of its date.
std::int64_t nextServiceDayNoon(std::int64_t now)
{
    const std::int64_t next = dayNumber(serviceTimeOf(now).date) + 1;
    return next * 86400 + 12 * 3600 - kJapanOffsetSeconds;
}

}  // namespace

int stationOfArgument(const char* arg)
{
    if (!arg || !*arg)
        return -1;
    int i = stationOfNumber(arg);
    if (i < 0)
        i = stationOfCode(arg);
    if (i < 0)
        i = stationOfTitle(arg);
    if (i < 0)
        i = stationOfTitle(utf8ToCp932(arg));
    return i;
}

int runNextTrainsOnce(const Config& config)
{
    applyConfig(config);
    sortStations();
    const int station = stationOfArgument(config.options.next);
    if (station < 0) {
        std::fprintf(
            stderr,
            "linewatch: no such station: %s (a station number 0-%d, a station name or a station code)\n",
            config.options.next, kStationTableSize - 1);
        return 2;
    }
    if (apiVersion() != ApiVersion::V4) {
        sayTimetablesOnlyInV4();
        return 1;
    }
    const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr)) + config.clockOffset;
    static TimetableDay today, nextDay;  // about 30 MiB at most each, kept off the stack
    const TimetableSource cached{config.api.root, config.cacheDir, fetchTimetables};
    loadQuietly(today, [&] { updateTimetables(today, now, cached); });
    if (loadedTables(today) == 0) {
        console_print("時刻表を取得できなかったため、次の発車を調べられません。\n");
        return 1;
    }
    std::string said;
    console_capture(&said);
    fetchLive([] { return false; });
    console_capture(nullptr);
    parseResponse(ResponseKind::Status);
    if (responseText[ResponseKind::Status].empty())
        console_print("運行情報を取得できなかったため、時刻表どおりの時刻を示します。\n");
    // The next day's first trains of another calendar come only after the
    // last ones; they are not kept in the cache, which holds one day.
    const TimetableDay* other = nullptr;
    if (answerNeedsOtherCalendar(today, station, now)) {
        const TimetableSource uncached{config.api.root, "", fetchTimetables};
        loadQuietly(nextDay, [&] { updateTimetables(nextDay, nextServiceDayNoon(now), uncached); });
        other = &nextDay;
    }
    answerNextTrains(today, other, station, now);
    return 0;
}
