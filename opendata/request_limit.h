#pragma once
// Version 4 allows 60 requests a minute per key; the client keeps below that
// by itself, whatever the user asks for. Counted on the steady clock.

#include <cstddef>

inline constexpr std::size_t kV4RequestsPerMinute = 60;

// Counts a version-4 request about to start; false when the last minute
// already holds the allowed number.
bool takeV4Request();

// Forgets the requests counted so far (configureFetch).
void forgetV4Requests();

// One console line: name's request is not sent this time, as the minute's
// allowance is used up, and the next refresh asks again.
void tellRefused(const char* name);
