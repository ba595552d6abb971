// The estimate as the notices tell it.
#include "app/disrupted_estimate.h"

#include "app/monitor_state.h"
#include "app/timetable_lines.h"
#include "network/stations.h"
#include "opendata/parse.h"
#include "platform/console.h"

#include <algorithm>

namespace {

// True when the condition keeps an estimated train off the map.
bool withdrawn(const LineCondition& c, int line, const TrainRecord& t)
{
    if (c.service == LineService::Suspended)
        return true;
    if (c.service != LineService::SectionSuspended)
        return false;
    const int from = lineSlotOf(line, t.fromStation);
    if (t.toStation == "null")
        return insideSuspendedSection(c, line, from, -1);
    const int to = lineSlotOf(line, t.toStation);
    // a stop the row does not know leaves the train where the timetable has it
    return to >= 0 && insideSuspendedSection(c, line, from, to);
}

// Normal service and a notice that tells nothing leave the timetable as it is.
bool plain(const LineCondition& c)
{
    return c.service == LineService::Normal || c.service == LineService::Unknown;
}

void announce(int table, const LineCondition& c)
{
    const char* name = tableLineName(table);
    const int line = lineOfTable(table);
    switch (c.service) {
    case LineService::Suspended:
        console_print("%s: 運転見合わせのため、時刻表からの推定列車を表示しません\n", name);
        break;
    case LineService::SectionSuspended:
        console_print(
            "%s: %s～%s間の運転見合わせのため、区間内の推定列車を表示しません。ほかの推定列車は？付き"
            "（位置は不確か）です\n",
            name, lineStations[line][c.sectionFrom], lineStations[line][c.sectionTo]);
        break;
    case LineService::Delayed:
    case LineService::Disrupted:
        if (c.delayMinutes > 0)
            console_print(
                "%s: 遅れのため、推定列車は時刻表の%d分前の位置に？付き（位置は不確か）で表示します\n", name,
                c.delayMinutes);
        else
            console_print("%s: %sのため、推定列車は？付き（位置は不確か）で表示します\n", name,
                          c.service == LineService::Delayed ? "遅れ" : "運行の乱れ");
        break;
    case LineService::Normal:
    case LineService::Unknown:
        console_print("%s: 推定列車を時刻表どおりに表示します\n", name);
        break;
    }
}

}  // namespace

void readLineConditions(LineCondition (&conditions)[kTimetableRailwayCount])
{
    for (int r = 0; r < kTimetableRailwayCount; ++r) {
        conditions[r] = LineCondition{};
        for (const TrainInfoRecord& notice : infoRecords)
            if (notice.railway == timetableRailway(r)) {
                conditions[r] =
                    classifyNotice(notice.informationStatus, notice.informationText, lineOfTable(r));
                break;
            }
    }
}

int estimateWithNotices(MonitorState& st, std::int64_t now)
{
    readLineConditions(st.lineConditions);
    std::int32_t lag[kTimetableRailwayCount] = {};
    for (int r = 0; r < kTimetableRailwayCount; ++r) {
        const LineCondition& c = st.lineConditions[r];
        lag[r] = c.service == LineService::Suspended ? 0 : c.delayMinutes * 60;
    }
    estimateTrains(st.timetables, now, lag);
    TrainRecord* kept = std::remove_if(trainRecords, trainRecords + trainCount, [&st](const TrainRecord& t) {
        const int r = tableOfRailway(t.railway);
        return r >= 0 && withdrawn(st.lineConditions[r], lineOfTable(r), t);
    });
    trainCount = static_cast<int>(kept - trainRecords);
    for (int r = 0; r < kTimetableRailwayCount; ++r) {
        LineCondition& said = st.announcedConditions[r];
        const LineCondition& c = st.lineConditions[r];
        if (c != said && !(plain(c) && plain(said)))
            announce(r, c);
        said = c;
    }
    return trainCount;
}

const char* uncertaintyWord(const MonitorState& st, const TrainRecord& train)
{
    const int r = st.trainsEstimated ? tableOfRailway(train.railway) : -1;
    if (r < 0)
        return "";
    switch (st.lineConditions[r].service) {
    case LineService::Delayed:
        return "（推定・遅れ）";
    case LineService::SectionSuspended:
        return "（推定・一部運転見合わせ）";
    case LineService::Disrupted:
        return "（推定・運行乱れ）";
    default:
        return "";
    }
}
