// The fare query: a console dialogue over the station table and one download.
#include "app/fare.h"

#include "app/typed_ahead.h"
#include "network/stations.h"
#include "opendata/fetch.h"
#include "opendata/parse.h"
#include "platform/console.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Capacity of the request URL, NUL included: longer ones are not sent.
constexpr std::size_t urlCapacity = 1000;

// Numbers are read from whole console lines, several per line if given.
struct LineInput {
    char line[256];  // one console line; a longer one is cut by console_read_line
    std::size_t at;
    bool have;
};

enum class Read { Number, NotNumber, End };

// What the dialogue does after an answer: go on, ask again from the prompt,
// or leave because input ended twice in a row.
enum class Next { Go, Ask, Leave };

// Judges the result of reading an answer; `ends` counts ends of input in a row.
Next after(Read r, int& ends)
{
    if (r == Read::End)
        return ++ends >= 2 ? Next::Leave : Next::Ask;
    ends = 0;
    return r == Read::NotNumber ? Next::Ask : Next::Go;
}

// The next whitespace-separated integer; a token that is not a number, or
// an empty line, discards the line. A number may continue on the next line.
Read read_int(LineInput& in, int& value)
{
    for (;;) {
        bool fresh = false;
        if (!in.have) {
            if (!console_read_line(in.line, sizeof in.line))
                return Read::End;
            in.have = true;
            in.at = 0;
            fresh = true;
        }
        while (in.line[in.at] && std::isspace(static_cast<unsigned char>(in.line[in.at])))
            ++in.at;
        if (!in.line[in.at]) {
            in.have = false;
            if (fresh)
                return Read::NotNumber;
            continue;
        }
        char* end = nullptr;
        long v = std::strtol(in.line + in.at, &end, 10);
        if (end == in.line + in.at) {
            in.have = false;
            return Read::NotNumber;
        }
        // Beyond the int range a number is out of the station range anyway.
        value = v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
        in.at = static_cast<std::size_t>(end - in.line);
        return Read::Number;
    }
}

void list_stations()
{
    for (int i = 0; i < stationTableSize; ++i) {
        console_print("(%d)%s ", i, stations[i].title);
        for (int j = 0; j < railwayCount; ++j)
            if (stationOnRailway(stations[i], j))
                console_print("%s , ", railways[j].name);
        if ((i + 1) % 3 == 0)
            console_print("\n");
    }
}

void print_lines_of(const StationEntry& s, const char* format)
{
    for (int j = 0; j < railwayCount; ++j)
        if (stationOnRailway(s, j))
            console_print(format, railways[j].name);
}

void print_amount(const char* label, int32_t yen, const char* closing)
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
    print_lines_of(a, "(%s) -> ");
    console_print("%s ", b.title);
    print_lines_of(b, " (%s)\n");

    // A URL too long for its buffer is not sent; without one the answer
    // is empty, so no earlier query's fare can show through.
    if (url.size() < urlCapacity) {
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
    print_amount("普通切符料金 ", fareRecord.ticketFare, "");
    print_amount("(子供料金 ", fareRecord.childTicketFare, "）\n");
    print_amount("ICカード料金 ", fareRecord.icCardFare, "");
    print_amount("（子供料金 ", fareRecord.childIcCardFare, "）\n");
    return true;
}

}  // namespace

void fareQuery(MonitorState& st)
{
    list_stations();
    LineInput in{};
    int ends = 0;  // end-of-input results in a row; the second one leaves
    for (;;) {
        console_print("料金を調べます。調べたい区間の駅の番号を二つ入力してください。(0 - %d)\n",
                      stationTableSize - 1);
        int from = 0, to = 0;
        Read r = read_int(in, from);
        if (r == Read::Number)
            r = read_int(in, to);
        in.have = false;
        Next next = after(r, ends);
        if (next == Next::Leave)
            return;
        if (next == Next::Ask || from < 0 || from >= stationTableSize || to < 0 || to >= stationTableSize ||
            from == to)
            continue;

        console_print("調べる区間は、\n[ ");
        console_print("%s ", stations[from].title);
        print_lines_of(stations[from], "%s -> ");
        console_print("%s ", stations[to].title);
        print_lines_of(stations[to], "%s ]\n");
        console_print(" でよろしいですか？ 1:yes 0:no\n");

        int answer = 0;
        r = read_int(in, answer);
        in.have = false;
        next = after(r, ends);
        if (next == Next::Leave)
            return;
        if (next == Next::Ask || answer == 0)
            continue;

        if (!query(st, from, to))
            return;
        console_print("hit anykey!\n");
        readKey(st);
        return;
    }
}
