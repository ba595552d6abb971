#pragma once
// Answers of the API's version 4 rewritten as the version-2 text that
// parseResponse was built for. Version 4 sorts every object's keys by length,
// writes status texts as language objects ({"ja":…}), leaves out members it
// has no value for and names a tenth railway (the 丸ノ内線 branch); the
// rewrite gives each kind the version-2 members in the version-2 order, every
// member present, so no record field keeps a value of an earlier answer.

#include <cstddef>
#include <string>
#include <string_view>

#include "opendata/responses.h"

// The largest answer the API sends: longer results are cut at this many objects.
inline constexpr std::size_t kV4AnswerObjectCap = 1000;

// The outcome of one rewrite.
struct V4Rewrite {
    bool ok = false;          // false: the answer is not a JSON array; text is empty
    std::size_t objects = 0;  // elements of the answer's array
    std::string text;         // UTF-8, in the version-2 shape of the kind
};

// Rewrites a version-4 answer (UTF-8 JSON) of the kind:
//   Status: the nine railways of the table, in table order, texts and
//     statuses taken from their "ja" member; a disrupted branch notice takes
//     丸ノ内線's slot while the main line runs normally; then the branch's own
//     notice as a tenth; odpt:timeOfOrigin as sent (often none: the status
//     tells a disruption, not the origin).
//   Trains: the first 400 trains (all the records hold) with all 17 members; the first origin and destination
//     station become the starting and terminal station; a missing frequency
//     or delay is 0, a missing toStation null.
//   Fare: the first fare, amounts in the version-2 order and "@context" last;
//     an amount the answer lacks is written as -1.
//   Timetable: not rewritten (opendata/timetable reads version 4); text empty.
// Strings are written unescaped, as the scanner reads them, with a double
// quote inside a value written as "”" so it cannot end the value.
V4Rewrite normaliseV4(ResponseKind kind, std::string_view utf8);
