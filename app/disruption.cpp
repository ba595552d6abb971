// Reading a line's notice: sections are matched to the line's station titles.
#include "app/disruption.h"

#include "network/branch.h"
#include "network/stations.h"
#include "platform/charset.h"

#include <cstddef>
#include <cstring>

namespace {

// Real notices stay within a few hundred bytes; only this many are read.
constexpr std::size_t kClassifiedBytes = 4096;

// 丸ノ内線's branch leaves the main line at slot 19 (中野坂上) with slot 25.

constexpr std::size_t kNpos = std::string::npos;

// A notice text cut to what is read, with its character starts, so that a
// phrase is never found across the two bytes of different characters.
class Notice {
public:
    explicit Notice(const std::string& text) : text_(text.substr(0, kClassifiedBytes))
    {
        std::size_t at = 0;
        while (at < text_.size()) {
            start_[at] = true;
            at += isShiftJisLead(static_cast<unsigned char>(text_[at])) ? 2 : 1;
        }
        // A lead byte cut off at the end starts no character that can match.
        size_ = at > text_.size() ? text_.size() - 1 : text_.size();
        start_[size_] = true;
    }

    std::size_t size() const { return size_; }
    bool isStart(std::size_t at) const { return at <= size_ && start_[at]; }

    // True when phrase is written at `at`, a character start.
    bool at(std::size_t at, const char* phrase) const
    {
        const std::size_t n = std::strlen(phrase);
        return isStart(at) && at + n <= size_ && isStart(at + n) && text_.compare(at, n, phrase) == 0;
    }

    // Start of the first phrase at or after from; kNpos when there is none.
    std::size_t find(const char* phrase, std::size_t from = 0) const
    {
        for (std::size_t i = from; i < size_; ++i)
            if (at(i, phrase))
                return i;
        return kNpos;
    }
    bool has(const char* phrase) const { return find(phrase) != kNpos; }

    // True when phrase ends at `end`, and then *begin is where it starts.
    bool endsWith(std::size_t end, const char* phrase, std::size_t* begin) const
    {
        const std::size_t n = std::strlen(phrase);
        if (end < n || !at(end - n, phrase))
            return false;
        *begin = end - n;
        return true;
    }

    // The digit (ASCII or full-width) at `at`: its value and the start of the
    // next character; -1 when there is none.
    int digit(std::size_t at, std::size_t* next) const
    {
        if (!isStart(at) || at >= size_)
            return -1;
        const unsigned char c = static_cast<unsigned char>(text_[at]);
        if (c >= '0' && c <= '9') {
            *next = at + 1;
            return c - '0';
        }
        const unsigned char t = at + 1 < size_ ? static_cast<unsigned char>(text_[at + 1]) : 0;
        if (c == 0x82 && t >= 0x4F && t <= 0x58) {  // ０ … ９
            *next = at + 2;
            return t - 0x4F;
        }
        return -1;
    }

private:
    std::string text_;
    std::size_t size_;
    bool start_[kClassifiedBytes + 1] = {};
};

// U+FF5E and U+301C both arrive as the same CP932 pair; the ASCII tilde too is read.
const char* const kWaves[] = {"～", "~"};

bool anyOf(const Notice& n, std::initializer_list<const char*> phrases)
{
    for (const char* p : phrases)
        if (n.has(p))
            return true;
    return false;
}

// Start of the sentence holding `at`: after the last "。" before it.
std::size_t sentenceStart(const Notice& n, std::size_t at)
{
    std::size_t start = 0;
    for (std::size_t i = n.find("。"); i != kNpos && i < at; i = n.find("。", i + 1))
        start = i + std::strlen("。");
    return start;
}

// The first "N分" of the sentence before `end` that is no clock time
// ("８時１２分" is the time of the cause), capped; 0 when there is none.
std::int32_t statedMinutes(const Notice& n, std::size_t from, std::size_t end)
{
    for (std::size_t i = from; i < end; ++i) {
        std::size_t next = 0;
        if (n.digit(i, &next) < 0)
            continue;
        std::size_t before = 0;
        const bool clock = n.endsWith(i, "時", &before);
        std::int32_t value = 0;
        std::size_t at = i;
        for (int d; (d = n.digit(at, &next)) >= 0; at = next)
            value = value > kStatedDelayLimit ? value : value * 10 + d;
        if (!clock && n.at(at, "分"))
            return value > kStatedDelayLimit ? kStatedDelayLimit : value;
        i = at - 1;
    }
    return 0;
}

std::int32_t statedDelay(const Notice& n)
{
    for (const char* word : {"遅れ", "遅延"})
        for (std::size_t at = n.find(word); at != kNpos; at = n.find(word, at + 1))
            if (const std::int32_t minutes = statedMinutes(n, sentenceStart(n, at), at); minutes > 0)
                return minutes;
    return 0;
}

// The line's slot whose title (optionally followed by "駅") ends at `end`,
// the longest such title; *begin is where it starts. -1 when none.
int titleEndingAt(const Notice& n, std::size_t end, int line, std::size_t* begin)
{
    std::size_t stem = end;
    n.endsWith(end, "駅", &stem);
    int found = -1;
    std::size_t foundBegin = kNpos;
    for (int s = 0; s < railways[line].stationCount; ++s) {
        std::size_t b = 0;
        if (n.endsWith(stem, lineStations[line][s], &b) && (found < 0 || b < foundBegin)) {
            found = s;
            foundBegin = b;
        }
    }
    *begin = foundBegin;
    return found;
}

// A section "Ａ[駅]～Ｂ[駅]間" ending at the "間" at `at`: sets the two slots.
bool sectionAt(const Notice& n, std::size_t at, int line, LineCondition* c)
{
    std::size_t b = 0, wave = 0;
    const int to = titleEndingAt(n, at, line, &b);
    if (to < 0)
        return false;
    for (const char* w : kWaves) {
        if (!n.endsWith(b, w, &wave))
            continue;
        std::size_t a = 0;
        const int from = titleEndingAt(n, wave, line, &a);
        if (from < 0 || from == to)
            return false;
        c->sectionFrom = from;
        c->sectionTo = to;
        return true;
    }
    return false;
}

// True when a "～ … 間" names a section in some sentence, matched or not.
bool namesASection(const Notice& n)
{
    for (std::size_t at = n.find("間"); at != kNpos; at = n.find("間", at + 1))
        for (const char* w : kWaves) {
            const std::size_t wave = n.find(w, sentenceStart(n, at));
            if (wave != kNpos && wave < at)
                return true;
        }
    return false;
}

// Parent of a slot on the line's track, the branch hanging off its join.
int parentSlot(int line, int slot)
{
    return line == kBranchLine && slot == kBranchFirstSlot ? kBranchJoinSlot : slot - 1;
}

// The slot and every slot between it and the line's first one, as bits.
std::uint32_t towardStart(int line, int slot)
{
    std::uint32_t bits = 0;
    for (int s = slot; s >= 0; s = parentSlot(line, s))
        bits |= 1u << s;
    return bits;
}

bool validSlot(int line, int slot)
{
    return slot >= 0 && slot < railways[line].stationCount;
}

}  // namespace

bool operator==(const LineCondition& a, const LineCondition& b)
{
    return a.service == b.service && a.delayMinutes == b.delayMinutes && a.sectionFrom == b.sectionFrom &&
           a.sectionTo == b.sectionTo;
}

bool operator!=(const LineCondition& a, const LineCondition& b)
{
    return !(a == b);
}

LineCondition classifyNotice(const std::string& status, const std::string& text, int line)
{
    LineCondition c;
    if (line < 0 || line >= railwayCount)
        return c;
    const Notice n(text);
    if (anyOf(n, {"平常どおり", "平常通り", "平常運転"})) {
        c.service = LineService::Normal;
        return c;
    }
    c.delayMinutes = statedDelay(n);
    const Notice s(status);
    const bool resumed = n.has("運転を再開") || s.has("運転再開");
    if (!resumed && (n.has("見合わせ") || s.has("見合わせ"))) {
        for (std::size_t at = n.find("間"); at != kNpos; at = n.find("間", at + 1))
            if (sectionAt(n, at, line, &c)) {
                c.service = LineService::SectionSuspended;
                return c;
            }
        if (n.has("全線"))
            c.service = LineService::Suspended;
        else if (n.has("直通運転") || namesASection(n))
            c.service = LineService::Disrupted;
        else
            c.service = LineService::Suspended;
        return c;
    }
    if (anyOf(n, {"遅れ", "遅延"}))
        c.service = LineService::Delayed;
    else if (resumed || !status.empty() ||
             anyOf(n, {"ダイヤが乱れ", "ダイヤ乱れ", "直通運転", "折り返し運転", "運休"}))
        c.service = LineService::Disrupted;
    return c;
}

bool insideSuspendedSection(const LineCondition& c, int line, int from, int to)
{
    if (c.service != LineService::SectionSuspended || line < 0 || line >= railwayCount ||
        !validSlot(line, c.sectionFrom) || !validSlot(line, c.sectionTo) || !validSlot(line, from))
        return false;
    // The section is the track between its ends: what lies toward the start
    // from one end but not from both, and the point where the two ways meet.
    const std::uint32_t a = towardStart(line, c.sectionFrom), b = towardStart(line, c.sectionTo);
    int meet = c.sectionFrom;
    while (!(b & (1u << meet)))
        meet = parentSlot(line, meet);
    const std::uint32_t section = (a ^ b) | (1u << meet);
    const bool atFrom = section & (1u << from);
    if (to < 0)
        return atFrom && from != c.sectionFrom && from != c.sectionTo;
    return validSlot(line, to) && atFrom && (section & (1u << to));
}
