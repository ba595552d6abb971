#include "sim/feed/responses.h"

#include <cstdio>

#include "opendata/calendar.h"
#include "sim/model/train_model.h"

namespace {

constexpr char contextBase[] = "http://vocab.tokyometroapp.jp/context_odpt_";
constexpr char fareDate[] = "2014-08-29T16:03:36+09:00";

void member(std::string& out, const char* key, const std::string& value)
{
    if (out.back() != '{')
        out += ',';
    out += '"';
    out += key;
    out += "\":";
    appendJsonString(out, value);
}

void rawMember(std::string& out, const char* key, const std::string& raw)
{
    if (out.back() != '{')
        out += ',';
    out += '"';
    out += key;
    out += "\":";
    out += raw;
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
    const std::string valid = japanIso(now + trainFrequencySeconds);
    const std::string dayTag = date.substr(0, 10);
    std::string out = "[";
    for (const SimTrain& t : trains) {
        if (out.size() > 1)
            out += ',';
        out += '{';
        member(out, "@context", std::string(contextBase) + "Train.jsonld");
        member(out, "@type", "odpt:Train");
        member(out, "@id", ucode(textHash(t.railwayId + t.number), textHash(dayTag)));
        member(out, "dc:date", date);
        member(out, "dct:valid", valid);
        rawMember(out, "odpt:frequency", std::to_string(trainFrequencySeconds));
        member(out, "odpt:railway", t.railwayId);
        member(out, "owl:sameAs",
               "odpt.Train:" + t.railwayId.substr(t.railwayId.find(':') + 1) + "." + t.number);
        member(out, "odpt:trainNumber", t.number);
        member(out, "odpt:trainType", t.type);
        rawMember(out, "odpt:delay", std::to_string(t.delay));
        member(out, "odpt:startingStation", t.startingStation);
        member(out, "odpt:terminalStation", t.terminalStation);
        member(out, "odpt:fromStation", t.fromStation);
        if (t.toStation.empty())
            rawMember(out, "odpt:toStation", "null");
        else
            member(out, "odpt:toStation", t.toStation);
        member(out, "odpt:railDirection", t.direction);
        member(out, "odpt:trainOwner", t.owner);
        out += '}';
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
        out += '{';
        member(out, "@context", std::string(contextBase) + "TrainInformation.jsonld");
        member(out, "@id", ucode(textHash(n.railwayId), 0x1af0));
        member(out, "dc:date", japanIso(n.date));
        member(out, "dct:valid", japanIso(now + noticeValiditySeconds));
        member(out, "odpt:operator", "odpt.Operator:TokyoMetro");
        member(out, "odpt:railway", n.railwayId);
        member(out, "odpt:timeOfOrigin", japanIso(n.origin));
        if (!n.status.empty())
            member(out, "odpt:trainInformationStatus", n.status);
        if (verbatimText)
            rawMember(out, "odpt:trainInformationText", "\"" + n.text + "\"");
        else
            member(out, "odpt:trainInformationText", n.text);
        member(out, "@type", "odpt:TrainInformation");
        out += '}';
    }
    out += ']';
    return out;
}

std::string fareBody(const std::string& fromStation, const std::string& toStation, const SimFare& fare)
{
    std::string out = "[{";
    member(out, "@id", ucode(textHash(fromStation), textHash(toStation)));
    member(out, "@type", "odpt:RailwayFare");
    member(out, "owl:sameAs", fareSameAs(fromStation, toStation));
    member(out, "dc:date", fareDate);
    member(out, "odpt:operator", "odpt.Operator:TokyoMetro");
    member(out, "odpt:fromStation", fromStation);
    member(out, "odpt:toStation", toStation);
    rawMember(out, "odpt:ticketFare", std::to_string(fare.ticket));
    rawMember(out, "odpt:childTicketFare", std::to_string(fare.childTicket));
    rawMember(out, "odpt:icCardFare", std::to_string(fare.icCard));
    rawMember(out, "odpt:childIcCardFare", std::to_string(fare.childIcCard));
    member(out, "@context", std::string(contextBase) + "RailwayFare.jsonld");
    out += "}]";
    return out;
}
