#include "app/next_trains_report.h"

#include "app/timetable_lines.h"
#include "network/stations.h"
#include "opendata/calendar.h"
#include "platform/console.h"

#include <cstdio>
#include <cstring>

namespace {

std::string lastPart(const std::string& id)
{
    const std::size_t dot = id.find_last_of(".:");
    return dot == std::string::npos ? id : id.substr(dot + 1);
}

const struct {
    const char* id;
    const char* title;
} kTrainTypes[] = {
    {"Local", "各停"},
    {"Express", "急行"},
    {"Rapid", "快速"},
    {"SemiExpress", "準急"},
    {"RapidExpress", "快速急行"},
    {"CommuterRapid", "通勤快速"},
    {"CommuterExpress", "通勤急行"},
    {"CommuterSemiExpress", "通勤準急"},
    {"LimitedExpress", "特急"},
};

std::string clock(std::int32_t second)
{
    const std::int32_t s = ((second % 86400) + 86400) % 86400;
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", s / 3600, s / 60 % 60);
    return text;
}

std::string minutesFrom(std::int32_t second, std::int32_t now)
{
    const std::int32_t minutes = (second - now) / 60;
    return minutes == 0 ? "まもなく" : std::to_string(minutes) + "分後";
}

// What the line's notice does to the times of its departures.
std::string noticeNote(const LineCondition& c, int line)
{
    switch (c.service) {
    case LineService::Delayed:
    case LineService::Disrupted:
        if (c.delayMinutes > 0)
            return "（遅れ" + std::to_string(c.delayMinutes) + "分：予定→見込み、？は不確か）";
        return c.service == LineService::Delayed ? "（遅れ：時刻は？付き、不確か）"
                                                 : "（運行の乱れ：時刻は？付き、不確か）";
    case LineService::SectionSuspended:
        return std::string("（") + lineStations[line][c.sectionFrom] + "～" +
               lineStations[line][c.sectionTo] + "間 運転見合わせ）";
    case LineService::Suspended:
        return "（運転見合わせ中）";
    case LineService::Normal:
    case LineService::Unknown:
        break;
    }
    return "";
}

void printDeparture(const NextDeparture& d, std::int32_t now, const char* day)
{
    std::string time = clock(d.scheduled);
    if (d.expected != d.scheduled && !d.notRunning)
        time += "→" + clock(d.expected);
    if (d.uncertain)
        time += "？";
    const std::string when = d.notRunning ? "運転見合わせ" : minutesFrom(d.expected, now);
    const std::string type = trainTypeTitle(d.table->names[d.trip->type]);
    const std::string destination = stationTitleOf(d.table->names[d.trip->destination]);
    console_print("  %s (%s%s) %s %s%s%s\n", time.c_str(), day, when.c_str(), type.c_str(),
                  destination.c_str(), destination.empty() ? "" : "行", d.lastOfDay ? " 最終" : "");
}

void printDirection(const DirectionDepartures& d, const LineCondition& c, std::int32_t now)
{
    console_print("%s %s%s\n", tableLineName(d.table), directionTitle(d.direction).c_str(),
                  noticeNote(c, lineOfTable(d.table)).c_str());
    if (!d.departsToday) {
        console_print("  この方面に発車する列車はありません\n");
        return;
    }
    for (const NextDeparture& n : d.upcoming)
        printDeparture(n, now, "");
    if (!d.upcoming.empty())
        return;
    console_print("  本日の運転は終了しました\n");
    if (!d.nextDayKnown) {
        console_print("  翌日の時刻表がないため、始発は表示できません\n");
        return;
    }
    if (d.nextDay.empty()) {
        console_print("  翌日はこの方面に発車する列車はありません\n");
        return;
    }
    console_print("  翌日の始発:\n");
    for (const NextDeparture& n : d.nextDay)
        printDeparture(n, now - 86400, "翌日 ");
}

}  // namespace

std::string trainTypeTitle(const std::string& type)
{
    const std::string part = lastPart(type);
    for (const auto& t : kTrainTypes)
        if (part == t.id)
            return t.title;
    return part;
}

std::string stationTitleOf(const std::string& sameAs)
{
    std::int32_t x = 0, y = 0, direction = 0;
    float longitude = 0, latitude = 0;
    const int i = findStation(sameAs.c_str(), x, y, direction, longitude, latitude);
    return i == kStationTableSize ? lastPart(sameAs) : stations[i].title;
}

std::string directionTitle(const std::string& direction)
{
    const std::string part = "." + lastPart(direction);
    for (const StationEntry& s : stations) {
        const std::size_t n = std::strlen(s.sameAs);
        if (n > part.size() && std::strcmp(s.sameAs + n - part.size(), part.c_str()) == 0)
            return std::string(s.title) + "方面";
    }
    return part.substr(1) + "方面";
}

void printNextTrains(int station, std::int64_t now, const std::string& calendar,
                     const std::vector<DirectionDepartures>& answer,
                     const LineCondition (&conditions)[kTimetableRailwayCount])
{
    const ServiceTime when = serviceTimeOf(now);
    const std::string moment = japanIso(now);  // "YYYY-MM-DDTHH:MM:SS+09:00"
    console_print("%s の発車予定 %s %s（%sダイヤ）\n", stations[station].title, moment.substr(0, 10).c_str(),
                  moment.substr(11, 5).c_str(), calendarTitle(calendar));
    if (answer.empty())
        console_print("  この駅の時刻表がありません\n");
    for (const DirectionDepartures& d : answer)
        printDirection(d, conditions[d.table], when.second);
}
