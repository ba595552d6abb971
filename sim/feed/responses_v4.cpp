#include "sim/feed/responses_v4.h"

#include <cstdio>

#include "opendata/calendar.h"
#include "sim/feed/responses.h"
#include "sim/feed/v4_object.h"

namespace {

constexpr char kContextBase[] = "http://vocab.odpt.org/context_odpt_";
constexpr char kOperatorId[] = "odpt.Operator:TokyoMetro";
constexpr char kFareDate[] = "2023-03-18T11:00:00+09:00";
constexpr char kFareIssued[] = "2023-03-18";
constexpr char kTimetableIssued[] = "2026-03-14";

// The other four languages of a text the operator translates.
struct Translations {
    const char* ja;
    const char* en;
    const char* ko;
    const char* zhHans;
    const char* zhHant;
};

const Translations normalService{normalNoticeText, "Trains are operating normally.",
                                 "현재 평소대로 운행하고 있습니다.", "目前正常运行。", "目前正常運行。"};
const Translations disruptedService{nullptr, "Train services are disrupted.",
                                    "열차 운행이 지연되고 있습니다.", "列车运行时刻紊乱。",
                                    "列車運行時刻紊亂。"};
const Translations statuses[] = {
    {"ダイヤ乱れ", "Delay", "지연", "延误", "延誤"},
    {"運転見合わせ", "Suspended", "운행 보류", "暂停运行", "暫停運行"},
};

// {"ja":…} with the other languages of the translation when asked for.
std::string languageObject(const std::string& ja, const Translations& other, bool multilingual)
{
    V4Object o;
    v4Text(o, "ja", ja);
    if (multilingual) {
        v4Text(o, "en", other.en);
        v4Text(o, "ko", other.ko);
        v4Text(o, "zh-Hans", other.zhHans);
        v4Text(o, "zh-Hant", other.zhHant);
    }
    return v4Json(std::move(o));
}

const Translations& statusTranslation(const std::string& ja)
{
    for (const Translations& t : statuses)
        if (ja == t.ja)
            return t;
    return statuses[0];
}

// "urn:uuid:" + a version-4 UUID fixed by the hashed value.
std::string uuid(std::uint64_t h)
{
    const std::uint64_t g = simHash(h, 0x5eed, 4);
    char text[48];  // 9 + 36 characters
    std::snprintf(text, sizeof text, "urn:uuid:%08llx-%04llx-4%03llx-%04llx-%012llx",
                  static_cast<unsigned long long>(h >> 32),
                  static_cast<unsigned long long>((h >> 16) & 0xFFFF),
                  static_cast<unsigned long long>(h & 0xFFF),
                  static_cast<unsigned long long>(0x8000 | ((g >> 48) & 0x3FFF)),
                  static_cast<unsigned long long>(g & 0xFFFFFFFFFFFFull));
    return text;
}

// "odpt.Railway:TokyoMetro.Ginza" -> "TokyoMetro.Ginza"
std::string afterColon(const std::string& id)
{
    return id.substr(id.find(':') + 1);
}

}  // namespace

std::string noticesBodyV4(const std::vector<SimNotice>& notices, bool multilingual, std::int64_t generated)
{
    const std::int64_t date = generated / kV4NoticeValiditySeconds * kV4NoticeValiditySeconds;
    std::vector<std::string> items;
    for (const SimNotice& n : notices) {
        const bool disrupted = !n.status.empty();
        V4Object o;
        v4Text(o, "@id", uuid(textHash(n.railwayId + japanIso(n.date))));
        v4Text(o, "@type", "odpt:TrainInformation");
        v4Text(o, "dc:date", japanIso(date));
        v4Text(o, "@context", std::string(kContextBase) + "TrainInformation.jsonld");
        v4Text(o, "dct:valid", japanIso(date + kV4NoticeValiditySeconds));
        v4Text(o, "owl:sameAs", "odpt.TrainInformation:" + afterColon(n.railwayId));
        v4Text(o, "odpt:railway", n.railwayId);
        v4Text(o, "odpt:operator", kOperatorId);
        v4Raw(o, "odpt:trainInformationText",
              languageObject(n.text, disrupted ? disruptedService : normalService, multilingual));
        if (disrupted) {
            v4Text(o, "odpt:timeOfOrigin", japanIso(n.origin));
            v4Raw(o, "odpt:trainInformationStatus",
                  languageObject(n.status, statusTranslation(n.status), multilingual));
        }
        items.push_back(v4Json(std::move(o)));
    }
    return v4Array(items);
}

std::string trainsBodyV4(const std::vector<SimTrain>& trains, std::int64_t now)
{
    const std::string date = japanIso(now);
    const std::string dayTag = date.substr(0, 10);
    std::vector<std::string> items;
    for (const SimTrain& t : trains) {
        V4Object o;
        v4Text(o, "@id", ucode(textHash(t.railwayId + t.number), textHash(dayTag)));
        v4Text(o, "@type", "odpt:Train");
        v4Text(o, "dc:date", date);
        v4Text(o, "@context", std::string(kContextBase) + "Train.jsonld");
        v4Text(o, "dct:valid", japanIso(now + kTrainFrequencySeconds));
        v4Raw(o, "odpt:delay", std::to_string(t.delay));
        v4Text(o, "owl:sameAs", "odpt.Train:" + afterColon(t.railwayId) + "." + t.number);
        v4Text(o, "odpt:railway", t.railwayId);
        v4Text(o, "odpt:operator", kOperatorId);
        if (t.toStation.empty())
            v4Raw(o, "odpt:toStation", "null");
        else
            v4Text(o, "odpt:toStation", t.toStation);
        v4Text(o, "odpt:trainType", t.type);
        v4Text(o, "odpt:fromStation", t.fromStation);
        v4Text(o, "odpt:trainNumber", t.number);
        v4Text(o, "odpt:trainOwner", t.owner);
        v4Text(o, "odpt:railDirection", t.direction);
        v4Raw(o, "odpt:originStation", v4Array({jsonQuoted(t.startingStation)}));
        v4Raw(o, "odpt:destinationStation", v4Array({jsonQuoted(t.terminalStation)}));
        items.push_back(v4Json(std::move(o)));
    }
    return v4Array(items);
}

namespace {

// "HH:MM" of seconds after the service date's midnight, wrapping after 24:00.
std::string clockText(int seconds)
{
    char text[16];  // "HH:MM" of any int
    std::snprintf(text, sizeof text, "%02d:%02d", seconds / 3600 % 24, seconds / 60 % 60);
    return text;
}

std::string timetableStops(const SimRoute& route, const SimScheduledTrip& trip)
{
    std::vector<std::string> stops;
    for (size_t k = 0; k < trip.stops.size(); ++k) {
        const SimScheduledStop& s = trip.stops[k];
        const std::string& station = route.stops[s.stop].sameAs;
        V4Object o;
        if (k + 1 == trip.stops.size()) {
            v4Text(o, "odpt:arrivalTime", clockText(s.arrive));
            v4Text(o, "odpt:arrivalStation", station);
        } else {
            if (!s.passed)
                v4Text(o, "odpt:departureTime", clockText(s.depart));
            v4Text(o, "odpt:departureStation", station);
        }
        stops.push_back(v4Json(std::move(o)));
    }
    return v4Array(stops);
}

}  // namespace

std::vector<std::string> timetableObjectsV4(const SimNetwork& net, const std::vector<SimScheduledTrip>& trips,
                                            bool holidayTimetable)
{
    const std::string calendar = holidayTimetable ? "SaturdayHoliday" : "Weekday";
    std::vector<std::string> items;
    for (const SimScheduledTrip& trip : trips) {
        const SimTrain t = describeTrip(net, trip, holidayTimetable);
        const std::string train = afterColon(t.railwayId) + "." + t.number;
        V4Object o;
        v4Text(o, "@id", ucode(textHash(train), textHash(calendar)));
        v4Text(o, "@type", "odpt:TrainTimetable");
        v4Text(o, "dc:date", std::string(kTimetableIssued) + "T00:00:00+09:00");
        v4Text(o, "@context", std::string(kContextBase) + "TrainTimetable.jsonld");
        v4Text(o, "dct:issued", kTimetableIssued);
        v4Text(o, "odpt:train", "odpt.Train:" + train);
        v4Text(o, "owl:sameAs", "odpt.TrainTimetable:" + train + "." + calendar);
        v4Text(o, "odpt:railway", t.railwayId);
        v4Text(o, "odpt:calendar", "odpt.Calendar:" + calendar);
        v4Text(o, "odpt:operator", kOperatorId);
        v4Text(o, "odpt:trainType", t.type);
        v4Text(o, "odpt:trainNumber", t.number);
        v4Raw(o, "odpt:originStation", v4Array({jsonQuoted(t.startingStation)}));
        v4Text(o, "odpt:railDirection", t.direction);
        v4Raw(o, "odpt:destinationStation", v4Array({jsonQuoted(t.terminalStation)}));
        v4Raw(o, "odpt:trainTimetableObject", timetableStops(net.routes[trip.route], trip));
        items.push_back(v4Json(std::move(o)));
    }
    return items;
}

std::string fareObjectV4(const std::string& fromStation, const std::string& toStation, const SimFare& fare)
{
    V4Object o;
    v4Text(o, "@id", ucode(textHash(fromStation), textHash(toStation)));
    v4Text(o, "@type", "odpt:RailwayFare");
    v4Text(o, "dc:date", kFareDate);
    v4Text(o, "@context", std::string(kContextBase) + "RailwayFare.jsonld");
    v4Text(o, "dct:issued", kFareIssued);
    v4Text(o, "owl:sameAs", fareSameAs(fromStation, toStation));
    v4Text(o, "odpt:operator", kOperatorId);
    v4Text(o, "odpt:toStation", toStation);
    v4Raw(o, "odpt:icCardFare", std::to_string(fare.icCard));
    v4Raw(o, "odpt:ticketFare", std::to_string(fare.ticket));
    v4Text(o, "odpt:fromStation", fromStation);
    v4Raw(o, "odpt:childIcCardFare", std::to_string(fare.childIcCard));
    v4Raw(o, "odpt:childTicketFare", std::to_string(fare.childTicket));
    return v4Json(std::move(o));
}
