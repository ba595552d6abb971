#include "sim/feed/responses.h"

#include <cstdio>
#include <string_view>
#include <utility>

#include "opendata/calendar.h"
#include "opendata/v2_members.h"
#include "sim/model/train_model.h"

namespace {

constexpr char kContextBase[] = "http://vocab.tokyometroapp.jp/context_odpt_";
constexpr char kFareDate[] = "2014-08-29T16:03:36+09:00";

// Each value is JSON already (a quoted text, a number, null); the keys come
// out in version 2's order, which the client's parser and rewrite share.
using JsonValues = std::vector<std::pair<std::string_view, std::string>>;

template <std::size_t N>
void writeObject(std::string& out, const V2Member (&members)[N], const JsonValues& values)
{
    out += '{';
    for (const V2Member& m : members)
        for (const auto& [key, json] : values)
            if (key == m.key) {
                if (out.back() != '{')
                    out += ',';
                out += '"';
                out += key;
                out += "\":";
                out += json;
                break;
            }
    out += '}';
}

std::string stationPart(const std::string& sameAs)
{
    const std::string prefix = "odpt.Station:";
    return sameAs.compare(0, prefix.size(), prefix) == 0 ? sameAs.substr(prefix.size()) : sameAs;
}

}  // namespace

std::string ucode(std::uint64_t a, std::uint64_t b)
{
    char text[48];  // 11 + 32 characters
    std::snprintf(text, sizeof text, "urn:ucode:_00001C00000000000001%012llX",
                  static_cast<unsigned long long>(simHash(a, b, 0x0dc0de) & 0xFFFFFFFFFFFFull));
    return text;
}

std::uint64_t textHash(const std::string& s)
{
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : s)
        h = (h ^ c) * 1099511628211ull;
    return h;
}

std::string fareSameAs(const std::string& fromStation, const std::string& toStation)
{
    return "odpt.RailwayFare:" + stationPart(fromStation) + "." + stationPart(toStation);
}

std::string jsonQuoted(const std::string& s)
{
    std::string out;
    appendJsonString(out, s);
    return out;
}

void appendJsonString(std::string& out, const std::string& s)
{
    out += '"';
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char esc[8];  // "\u001f"
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else {
            out += static_cast<char>(c);
        }
    }
    out += '"';
}

std::string trainsBody(const std::vector<SimTrain>& trains, std::int64_t now)
{
    const std::string date = japanIso(now);
    const std::string valid = japanIso(now + kTrainFrequencySeconds);
    const std::string dayTag = date.substr(0, 10);
    std::string out = "[";
    for (const SimTrain& t : trains) {
        if (out.size() > 1)
            out += ',';
        const std::string line = t.railwayId.substr(t.railwayId.find(':') + 1);
        writeObject(out, kTrainMembers,
                    {{"@context", jsonQuoted(std::string(kContextBase) + "Train.jsonld")},
                     {"@type", jsonQuoted("odpt:Train")},
                     {"@id", jsonQuoted(ucode(textHash(t.railwayId + t.number), textHash(dayTag)))},
                     {"dc:date", jsonQuoted(date)},
                     {"dct:valid", jsonQuoted(valid)},
                     {"odpt:frequency", std::to_string(kTrainFrequencySeconds)},
                     {"odpt:railway", jsonQuoted(t.railwayId)},
                     {"owl:sameAs", jsonQuoted("odpt.Train:" + line + "." + t.number)},
                     {"odpt:trainNumber", jsonQuoted(t.number)},
                     {"odpt:trainType", jsonQuoted(t.type)},
                     {"odpt:delay", std::to_string(t.delay)},
                     {"odpt:startingStation", jsonQuoted(t.startingStation)},
                     {"odpt:terminalStation", jsonQuoted(t.terminalStation)},
                     {"odpt:fromStation", jsonQuoted(t.fromStation)},
                     {"odpt:toStation", t.toStation.empty() ? "null" : jsonQuoted(t.toStation)},
                     {"odpt:railDirection", jsonQuoted(t.direction)},
                     {"odpt:trainOwner", jsonQuoted(t.owner)}});
    }
    out += ']';
    return out;
}

std::string noticesBody(const std::vector<SimNotice>& notices, std::int64_t now, bool verbatimText)
{
    std::string out = "[";
    for (const SimNotice& n : notices) {
        if (out.size() > 1)
            out += ',';
        JsonValues values = {
            {"@context", jsonQuoted(std::string(kContextBase) + "TrainInformation.jsonld")},
            {"@id", jsonQuoted(ucode(textHash(n.railwayId), 0x1af0))},
            {"dc:date", jsonQuoted(japanIso(n.date))},
            {"dct:valid", jsonQuoted(japanIso(now + kNoticeValiditySeconds))},
            {"odpt:operator", jsonQuoted("odpt.Operator:TokyoMetro")},
            {"odpt:railway", jsonQuoted(n.railwayId)},
            {"odpt:timeOfOrigin", jsonQuoted(japanIso(n.origin))},
            {"odpt:trainInformationText", verbatimText ? "\"" + n.text + "\"" : jsonQuoted(n.text)},
            {"@type", jsonQuoted("odpt:TrainInformation")}};
        if (!n.status.empty())
            values.push_back({"odpt:trainInformationStatus", jsonQuoted(n.status)});
        writeObject(out, kStatusMembers, values);
    }
    out += ']';
    return out;
}

std::string fareBody(const std::string& fromStation, const std::string& toStation, const SimFare& fare)
{
    std::string out = "[";
    writeObject(out, kFareMembers,
                {{"@id", jsonQuoted(ucode(textHash(fromStation), textHash(toStation)))},
                 {"@type", jsonQuoted("odpt:RailwayFare")},
                 {"owl:sameAs", jsonQuoted(fareSameAs(fromStation, toStation))},
                 {"dc:date", jsonQuoted(kFareDate)},
                 {"odpt:operator", jsonQuoted("odpt.Operator:TokyoMetro")},
                 {"odpt:fromStation", jsonQuoted(fromStation)},
                 {"odpt:toStation", jsonQuoted(toStation)},
                 {"odpt:ticketFare", std::to_string(fare.ticket)},
                 {"odpt:childTicketFare", std::to_string(fare.childTicket)},
                 {"odpt:icCardFare", std::to_string(fare.icCard)},
                 {"odpt:childIcCardFare", std::to_string(fare.childIcCard)},
                 {"@context", jsonQuoted(std::string(kContextBase) + "RailwayFare.jsonld")}});
    out += ']';
    return out;
}
