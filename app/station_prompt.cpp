#include "app/station_prompt.h"

#include "network/stations.h"
#include "platform/console.h"

#include <cctype>
#include <climits>
#include <cstdlib>

PromptNext promptNext(PromptRead r, int& ends)
{
    if (r == PromptRead::End)
        return ++ends >= 2 ? PromptNext::Leave : PromptNext::Ask;
    ends = 0;
    return r == PromptRead::NotNumber ? PromptNext::Ask : PromptNext::Go;
}

PromptRead readPromptNumber(PromptInput& in, int& value)
{
    for (;;) {
        bool fresh = false;
        if (!in.have) {
            if (!console_read_line(in.line, sizeof in.line))
                return PromptRead::End;
            in.have = true;
            in.at = 0;
            fresh = true;
        }
        while (in.line[in.at] && std::isspace(static_cast<unsigned char>(in.line[in.at])))
            ++in.at;
        if (!in.line[in.at]) {
            in.have = false;
            if (fresh)
                return PromptRead::NotNumber;
            continue;
        }
        char* end = nullptr;
        long v = std::strtol(in.line + in.at, &end, 10);
        if (end == in.line + in.at) {
            in.have = false;
            return PromptRead::NotNumber;
        }
        value = v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
        in.at = static_cast<std::size_t>(end - in.line);
        return PromptRead::Number;
    }
}

void listStations()
{
    for (int i = 0; i < kStationTableSize; ++i) {
        console_print("(%d)%s ", i, stations[i].title);
        for (int j = 0; j < railwayCount; ++j)
            if (stationOnRailway(stations[i], j))
                console_print("%s , ", railways[j].name);
        if ((i + 1) % 3 == 0)
            console_print("\n");
    }
}
