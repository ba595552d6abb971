#pragma once
// The in-memory response texts the downloads fill and the parser reads: one
// Shift_JIS text per kind, each the last body of its kind.

#include <cstddef>
#include <string>

// Which response a download fetches. Trains, Status and Fare each have a
// text (the value is its index); Timetable answers have none here: they go
// whole to the caller of fetchTimetables.
enum class ResponseKind : int { Trains = 0, Status = 1, Fare = 2, Timetable = 3 };

// The kinds that have a text in ResponseTexts.
inline constexpr int kResponseTextCount = 3;

// The three Shift_JIS response texts, indexed by ResponseKind.
struct ResponseTexts {
    std::string text[kResponseTextCount];
    std::string& operator[](ResponseKind kind) { return text[static_cast<int>(kind)]; }
};

// Owned by the client; each text holds the last body of its kind.
extern ResponseTexts responseText;

// Longest body kept, in bytes as received (8 MiB); a longer one is cut off
// there and the cut reported.
inline constexpr std::size_t kResponseByteCap = 8u << 20;
