// Status report: new notices on the console, disruptions spoken.
#include "app/status.h"

#include "app/monitor_state.h"
#include "network/stations.h"
#include "opendata/calendar.h"
#include "opendata/fetch.h"
#include "platform/key_mask.h"
#include "opendata/parse.h"
#include "platform/charset.h"
#include "platform/console.h"
#include "platform/speech.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// The speech component takes at most this many bytes per call.
constexpr std::size_t kSpeechPartBytes = 200;
// A part is cut after this many characters, a double-byte one counting once.
constexpr int kSpeechPartChars = 100;

const char kNormalText[] = "平常どおり";
const char kNoDataText[] = "データがありません";

// Bytes of the first `chars` characters of text (never past its end).
std::size_t bytesOfChars(const std::string& text, std::size_t from, int chars)
{
    std::size_t at = from;
    for (int n = 0; n < chars && at < text.size(); ++n)
        at += isShiftJisLead(static_cast<unsigned char>(text[at])) ? 2 : 1;
    return (at > text.size() ? text.size() : at) - from;
}

void speakInParts(const std::string& text)
{
    std::size_t at = 0;
    while (text.size() - at > kSpeechPartBytes) {
        std::size_t n = bytesOfChars(text, at, kSpeechPartChars);
        speech_say(text.substr(at, n).c_str());
        at += n;
    }
    if (at < text.size())
        speech_say(text.substr(at).c_str());
}

// The notice as one console line: control bytes (a carriage return would
// overwrite the line, escapes would drive the terminal) are left out. They
// never occur inside a Shift_JIS character, so bytes can be dropped one by one.
std::string oneLine(const std::string& text)
{
    std::string line;
    line.reserve(text.size());
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F)
            line += c;
    return line;
}

// Version 2 marks a disruption by its time of origin; version 4 by its
// status, which it leaves out in normal service, and often sends no origin.
bool isDisruption(const TrainInfoRecord& r, bool v4)
{
    const bool marked = r.timeOfOrigin.size() > 4 || (v4 && !r.informationStatus.empty());
    return r.informationText.find(kNormalText) == std::string::npos &&
           r.informationText.find(kNoDataText) == std::string::npos && marked;
}

// Takes the first 19 bytes of date into the slot's stamp when they differ;
// true when the notice is new.
bool takeStamp(char (&stamp)[26], const std::string& date)
{
    char fresh[sizeof stamp] = {};
    std::memcpy(fresh, date.data(), date.size() < kIssueStampLength ? date.size() : kIssueStampLength);
    if (std::memcmp(fresh, stamp, sizeof stamp) == 0)
        return false;
    std::memcpy(stamp, fresh, sizeof stamp);
    return true;
}

// The line whose notice a record carries: the first railway whose identifier
// starts the record's, so the branch's notice counts for 丸ノ内線; -1 none.
int lineOfNotice(const std::string& railway)
{
    for (int k = 0; k < railwayCount; ++k)
        if (railway.compare(0, std::strlen(railways[k].railwayId), railways[k].railwayId) == 0)
            return k;
    return -1;
}

std::uint64_t digest(const std::string& bytes)
{
    std::uint64_t h = 14695981039346656037ull;  // FNV-1a
    for (char c : bytes)
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return h;
}

// What makes a notice the same notice: its status, origin and text.
std::string noticeKey(const TrainInfoRecord& r)
{
    if (r.informationStatus.empty() && r.timeOfOrigin.empty() && r.informationText.empty())
        return std::string();
    std::string key = r.informationStatus + '\x1f' + r.timeOfOrigin + '\x1f' + r.informationText;
    if (key.size() > kNoticeKeyCapacity) {
        char tail[24];  // "#" and 16 hex digits
        std::snprintf(tail, sizeof tail, "#%016llx", static_cast<unsigned long long>(digest(key)));
        key.resize(kNoticeKeyCapacity - std::strlen(tail));
        key += tail;
    }
    return key;
}

// Version 4: the line's notice is new when it differs from the one last
// reported for that line; it takes its origin as stamp, else the time it was
// first seen. True when the notice is new.
bool takeNotice(ReportedNotice& last, const TrainInfoRecord& r, std::int64_t now)
{
    std::string key = noticeKey(r);
    if (key == last.key)
        return false;
    last.key = std::move(key);
    const std::string when = r.timeOfOrigin.size() > 4 ? r.timeOfOrigin : japanIso(now);
    std::memset(last.stamp, 0, sizeof last.stamp);
    std::memcpy(last.stamp, when.data(), when.size() < kIssueStampLength ? when.size() : kIssueStampLength);
    return true;
}

}  // namespace

void reportStatus(MonitorState& st, std::int64_t now)
{
    const bool v4 = apiVersion() == ApiVersion::V4;
    for (int i = 0; i < kStatusSlots; ++i) {
        const TrainInfoRecord& r = infoRecords[i];
        const char* stamp = st.issueStamp[i];
        bool fresh = false;
        if (!v4) {
            fresh = takeStamp(st.issueStamp[i], r.date);
        } else if (const int line = lineOfNotice(r.railway); line >= 0) {
            fresh = takeNotice(st.reportedNotices[line], r, now);
            stamp = st.reportedNotices[line].stamp;
        }
        if (fresh)
            console_print("%s ", stamp);
        bool speak = sound_flag == 1 && isDisruption(r, v4);

        for (int k = 0; k < railwayCount; ++k) {
            if (r.railway.find(railways[k].railwayId) == std::string::npos)
                continue;
            if (fresh)
                console_print("%s ", railways[k].name);
            if (speak)
                speech_say(railways[k].name);
        }

        if (r.informationText.size() > 2) {
            // Masked before the line drops its control bytes and before the
            // speech cuts it in parts, either of which could join a key up.
            const std::string text =
                maskKey(r.informationText, r.informationText.size(), consumerKey(), MaskEncoding::ShiftJis);
            if (fresh)
                console_print("%s\n", oneLine(text).c_str());
            if (speak)
                speakInParts(text);
        } else {
            if (fresh)
                console_print("%s\n", kNoDataText);
            if (speak)
                speech_say("データがありません\n");
        }
    }
}
