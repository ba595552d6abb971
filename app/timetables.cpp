// Sections: the cache folder / loading a day / the estimate.
#include "app/timetables.h"

#include "network/branch.h"
#include "opendata/calendar.h"
#include "opendata/estimate.h"
#include "opendata/normalise_v4.h"
#include "opendata/notes.h"
#include "opendata/parse.h"
#include "opendata/timetable_cache.h"
#include "platform/console.h"
#include "platform/file.h"

#include <filesystem>
#include <system_error>

const char* timetableRailway(int r)
{
    return r == kBranchIndex ? kBranchRailwayId : railways[r].railwayId;
}

namespace {

// A day's cache files of all railways stay well below this.
constexpr std::size_t kCacheFileCap = 64u << 20;
constexpr const char* cacheSuffix = ".timetable";

// ---- the cache folder ----

std::string cachePath(const TimetableSource& source, const TimetableTag& tag)
{
    return source.cacheDir + "/" + timetableCacheName(tag);
}

bool readCache(const TimetableSource& source, const TimetableTag& tag, Timetable* table)
{
    if (source.cacheDir.empty())
        return false;
    const FileRead read = readRegularFile(cachePath(source, tag).c_str(), kCacheFileCap);
    return read.status == FileRead::Read && readTimetableCache(read.bytes, tag, table);
}

// Saves the table; the first save of a day also removes the files of other
// days, so the folder holds one day.
void writeCache(const TimetableSource& source, const TimetableTag& tag, const Timetable& table)
{
    if (source.cacheDir.empty())
        return;
    std::error_code error;
    std::filesystem::create_directories(source.cacheDir, error);
    const std::string path = cachePath(source, tag);
    const FileSave save = saveFileAtomically(path.c_str(), timetableCacheText(table, tag));
    if (!save.saved) {
        console_print("時刻表: %s を保存できません: %s\n", path.c_str(), save.reason.c_str());
        return;
    }
    for (std::filesystem::directory_iterator it(source.cacheDir, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        const std::string suffix = cacheSuffix;
        const bool timetableFile = name.size() > suffix.size() &&
                                   name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
        if (timetableFile && name.compare(0, tag.day.size(), tag.day) != 0)
            std::filesystem::remove(it->path(), error);
    }
}

}  // namespace

const char* calendarTitle(const std::string& calendar)
{
    return calendar == calendarId(ServiceCalendar::Weekday) ? "平日" : "土休日";
}

// ---- loading a day ----

int loadedTables(const TimetableDay& day)
{
    int n = 0;
    for (bool l : day.loaded)
        n += l;
    return n;
}

namespace {

// Reads railway r's answer into its table and saves it; false when the
// answer holds no timetable.
bool takeAnswer(TimetableDay& day, int r, const std::string& body, const TimetableSource& source)
{
    const TimetableTag tag{source.root, day.day, day.calendar, timetableRailway(r)};
    Timetable table;
    const TimetableLoad load = loadTimetableV4(table, body);
    if (!load.ok) {
        console_print("時刻表: %s の応答は時刻表として読めません。%s\n", tag.railway.c_str(),
                      kRetryNextRefresh);
        return false;
    }
    if (load.dropped > 0)
        console_print(
            "時刻表: %s の応答のうち %zu 本は大きさの上限（名前 %zu バイト、1 本に %zu 駅、"
            "1 路線に %zu 本・%zu 語）を超えるため読み込みませんでした。\n",
            tag.railway.c_str(), load.dropped, kTimetableNameCap, kTimetableStopsPerTripCap,
            kTimetableTripsCap, kTimetableNamesCap);
    if (load.objects >= kV4AnswerObjectCap)
        tellAnswerAtCap(("時刻表 " + tag.railway).c_str());
    day.tables[r] = std::move(table);
    day.loaded[r] = true;
    writeCache(source, tag, day.tables[r]);
    return true;
}

}  // namespace

bool updateTimetables(TimetableDay& day, std::int64_t now, const TimetableSource& source,
                      const TimetableWatch& watch)
{
    const ServiceTime when = serviceTimeOf(now);
    const std::string date = isoDate(when.date);
    if (day.day != date) {
        day = TimetableDay{};
        day.day = date;
        day.calendar = calendarId(calendarOf(when.date));
    }
    const int wanted = kTimetableRailwayCount - loadedTables(day);
    if (wanted == 0)
        return true;
    int done = 0;
    std::vector<int> missing;
    for (int r = 0; r < kTimetableRailwayCount; ++r) {
        if (day.loaded[r])
            continue;
        const TimetableTag tag{source.root, day.day, day.calendar, timetableRailway(r)};
        if (readCache(source, tag, &day.tables[r])) {
            day.loaded[r] = true;
            ++done;
        } else {
            missing.push_back(r);
        }
    }
    if (done > 0 && watch.tablesAdded)
        watch.tablesAdded();
    if (!missing.empty()) {
        std::vector<std::string> railways;
        for (int r : missing)
            railways.push_back(timetableRailway(r));
        std::size_t bytes = 0;
        const auto progress = [&] {
            console_print("時刻表を取得中 %d/%d 路線 (%.1f MB)\r", done, wanted, bytes / 1e6);
        };
        progress();
        const auto arrived = [&](std::size_t i, const std::string* body) {
            ++done;
            if (body) {
                bytes += body->size();
                if (takeAnswer(day, missing[i], *body, source) && watch.tablesAdded)
                    watch.tablesAdded();
            }
            progress();
        };
        if (!source.download(railways, day.calendar, arrived, watch.shouldAbandon))
            return false;
    }
    std::size_t trips = 0;
    for (const Timetable& t : day.tables)
        trips += t.trips.size();
    const int have = loadedTables(day);
    console_print("時刻表: %s %s の %d/%d 路線 (%zu 本)", day.day.c_str(), calendarTitle(day.calendar), have,
                  kTimetableRailwayCount, trips);
    if (have < kTimetableRailwayCount)
        console_print("、残りは次回の更新で取得します");
    console_print("\n");
    return true;
}

// ---- the estimate ----

int estimateTrains(const TimetableDay& day, std::int64_t now, const std::int32_t* lagSeconds)
{
    const ServiceTime when = serviceTimeOf(now);
    trainCount = 0;
    if (isoDate(when.date) != day.day)
        return 0;
    const std::string date = japanIso(now);
    for (int r = 0; r < kTimetableRailwayCount; ++r)
        trainCount = appendEstimatedTrains(day.tables[r], when.second - (lagSeconds ? lagSeconds[r] : 0),
                                           date, trainRecords, trainCount, kTrainRecordCapacity);
    return trainCount;
}
