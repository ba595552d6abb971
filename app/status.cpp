// Status report: new notices on the console, disruptions spoken.
#include "app/status.h"

#include "app/monitor_state.h"
#include "network/stations.h"
#include "opendata/parse.h"
#include "platform/charset.h"
#include "platform/console.h"
#include "platform/speech.h"

#include <cstring>
#include <string>

namespace {

// The speech component takes at most this many bytes per call.
constexpr std::size_t speechPartBytes = 200;
// A part is cut after this many characters, a double-byte one counting once.
constexpr int speechPartChars = 100;

const char normalText[] = "平常どおり";
const char noDataText[] = "データがありません";

// Bytes of the first `chars` characters of text (never past its end).
std::size_t bytes_of_chars(const std::string& text, std::size_t from, int chars)
{
    std::size_t at = from;
    for (int n = 0; n < chars && at < text.size(); ++n)
        at += isShiftJisLead(static_cast<unsigned char>(text[at])) ? 2 : 1;
    return (at > text.size() ? text.size() : at) - from;
}

void speak_in_parts(const std::string& text)
{
    std::size_t at = 0;
    while (text.size() - at > speechPartBytes) {
        std::size_t n = bytes_of_chars(text, at, speechPartChars);
        speech_say(text.substr(at, n).c_str());
        at += n;
    }
    if (at < text.size())
        speech_say(text.substr(at).c_str());
}

// The notice as one console line: control bytes (a carriage return would
// overwrite the line, escapes would drive the terminal) are left out. They
// never occur inside a Shift_JIS character, so bytes can be dropped one by one.
std::string one_line(const std::string& text)
{
    std::string line;
    line.reserve(text.size());
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F)
            line += c;
    return line;
}

bool is_disruption(const TrainInfoRecord& r)
{
    return r.informationText.find(normalText) == std::string::npos &&
           r.informationText.find(noDataText) == std::string::npos && r.timeOfOrigin.size() > 4;
}

// Takes the first 19 bytes of date into the slot's stamp when they differ;
// true when the notice is new.
bool take_stamp(char (&stamp)[26], const std::string& date)
{
    char fresh[sizeof stamp] = {};
    std::memcpy(fresh, date.data(), date.size() < kIssueStampLength ? date.size() : kIssueStampLength);
    if (std::memcmp(fresh, stamp, sizeof stamp) == 0)
        return false;
    std::memcpy(stamp, fresh, sizeof stamp);
    return true;
}

}  // namespace

void reportStatus(MonitorState& st)
{
    for (int i = 0; i < kStatusSlots; ++i) {
        const TrainInfoRecord& r = infoRecords[i];
        bool fresh = take_stamp(st.issueStamp[i], r.date);
        if (fresh)
            console_print("%s ", st.issueStamp[i]);
        bool speak = sound_flag == 1 && is_disruption(r);

        for (int k = 0; k < railwayCount; ++k) {
            if (r.railway.find(railways[k].railwayId) == std::string::npos)
                continue;
            if (fresh)
                console_print("%s ", railways[k].name);
            if (speak)
                speech_say(railways[k].name);
        }

        if (r.informationText.size() > 2) {
            if (fresh)
                console_print("%s\n", one_line(r.informationText).c_str());
            if (speak)
                speak_in_parts(r.informationText);
        } else {
            if (fresh)
                console_print("%s\n", noDataText);
            if (speak)
                speech_say("データがありません\n");
        }
    }
}
