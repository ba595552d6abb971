// What a line's operation notice says about where its trains are: normal
// service, a delay (with the least delay the text states), a suspension of a
// section or of the whole line, or another disruption. Texts are Shift_JIS.
#pragma once

#include <cstdint>
#include <string>

// The kinds of service a notice describes, as far as the text tells.
enum class LineService {
    Unknown,           // no notice, or a text that matches none of the patterns
    Normal,            // "平常どおり"
    Delayed,           // "遅れ": trains run, late
    SectionSuspended,  // "Ａ駅～Ｂ駅間で運転を見合わせ": no train runs inside that section
    Suspended,         // the whole line stands still
    Disrupted,         // anything else of a disruption: direct service stopped, timetable disorder
};

// A line's service with what the text states of it.
struct LineCondition {
    LineService service = LineService::Unknown;
    std::int32_t delayMinutes = 0;  // least stated delay, 0..kStatedDelayLimit; 0 when none is stated
    std::int32_t sectionFrom = -1;  // SectionSuspended: lineStations slots of the section's end stations
    std::int32_t sectionTo = -1;
};

bool operator==(const LineCondition& a, const LineCondition& b);
bool operator!=(const LineCondition& a, const LineCondition& b);

// A stated delay above this many minutes is taken as this many.
inline constexpr std::int32_t kStatedDelayLimit = 180;

// Classifies the notice of railway `line` (0..railwayCount-1; the 丸ノ内線
// branch's notice with 1, whose stations it shares) from its status and text.
// A section counts only when both its stations are the line's (station
// table titles, with or without "駅"); a suspension that names a section
// elsewhere, or direct service, is Disrupted; one that names no section is
// the whole line's. Both wave dashes and full-width or ASCII digits are read.
LineCondition classifyNotice(const std::string& status, const std::string& text, int line);

// True when a train between lineStations slots `from` and `to` of the line
// (`to` -1: standing at `from`) is inside the suspended section of c: running
// between two of its stations, or standing at one strictly between its ends.
// Trains at the end stations stay, as trains turn back there.
bool insideSuspendedSection(const LineCondition& c, int line, int from, int to);
