// The fare query: a console dialogue over the station table and one download.
#include "app/fare.h"

#include "app/station_prompt.h"
#include "app/typed_ahead.h"
#include "network/stations.h"
#include "opendata/fetch.h"
#include "opendata/parse.h"
#include "platform/console.h"

#include <cstdio>
#include <string>

namespace {

// Capacity of the request URL, NUL included: longer ones are not sent.
constexpr std::size_t kUrlCapacity = 1000;

void printLinesOf(const StationEntry& s, const char* format)
{
    for (int j = 0; j < railwayCount; ++j)
        if (stationOnRailway(s, j))
            console_print(format, railways[j].name);
}

void printAmount(const char* label, int32_t yen, const char* closing)
{
    console_print("%s", label);
    if (yen > 0)
        console_print("%d 円%s", yen, closing);
    else
        console_print("データがありません%s", closing);
}

// Asks for the fare of from -> to and prints it; false when its download was
// abandoned for a key, and nothing printed after the stations.
bool query(MonitorState& st, int from, int to)
{
    const StationEntry& a = stations[from];
    const StationEntry& b = stations[to];
    const std::string url = fareUrl(a.sameAs, b.sameAs);

    console_print("%s ", a.title);
    printLinesOf(a, "(%s) -> ");
    console_print("%s ", b.title);
    printLinesOf(b, " (%s)\n");

    // A URL too long for its buffer is not sent; without one the answer
    // is empty, so no earlier query's fare can show through.
    if (url.size() < kUrlCapacity) {
        if (!fetchFare(url, [&st] { return downloadInterrupted(st); }))
            return false;
    } else {
        responseText[ResponseKind::Fare].clear();
    }
    // The parse keeps texts an answer lacks; the interchange line below must
    // see only this answer's stations.
    fareRecord = FareRecord{};
    parseResponse(ResponseKind::Fare);

    // Two lines' records of one station: the answer is four zeros.
    if (!fareRecord.fromStation.empty() && fareRecord.ticketFare == 0 && fareRecord.childTicketFare == 0 &&
        fareRecord.icCardFare == 0 && fareRecord.childIcCardFare == 0) {
        console_print("同じ駅での路線の乗り換えのため、運賃はかかりません。\n");
        return true;
    }
    printAmount("普通切符料金 ", fareRecord.ticketFare, "");
    printAmount("(子供料金 ", fareRecord.childTicketFare, "）\n");
    printAmount("ICカード料金 ", fareRecord.icCardFare, "");
    printAmount("（子供料金 ", fareRecord.childIcCardFare, "）\n");
    return true;
}

}  // namespace

void fareQuery(MonitorState& st)
{
    listStations();
    PromptInput in{};
    int ends = 0;  // end-of-input results in a row; the second one leaves
    for (;;) {
        console_print("料金を調べます。調べたい区間の駅の番号を二つ入力してください。(0 - %d)\n",
                      kStationTableSize - 1);
        int from = 0, to = 0;
        PromptRead r = readPromptNumber(in, from);
        if (r == PromptRead::Number)
            r = readPromptNumber(in, to);
        in.have = false;
        PromptNext next = promptNext(r, ends);
        if (next == PromptNext::Leave)
            return;
        if (next == PromptNext::Ask || from < 0 || from >= kStationTableSize || to < 0 ||
            to >= kStationTableSize || from == to)
            continue;

        console_print("調べる区間は、\n[ ");
        console_print("%s ", stations[from].title);
        printLinesOf(stations[from], "%s -> ");
        console_print("%s ", stations[to].title);
        printLinesOf(stations[to], "%s ]\n");
        console_print(" でよろしいですか？ 1:yes 0:no\n");

        int answer = 0;
        r = readPromptNumber(in, answer);
        in.have = false;
        next = promptNext(r, ends);
        if (next == PromptNext::Leave)
            return;
        if (next == PromptNext::Ask || answer == 0)
            continue;

        if (!query(st, from, to))
            return;
        console_print("hit anykey!\n");
        readKey(st);
        return;
    }
}
