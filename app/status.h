// Operation status notices: printing new ones and speaking disruptions.
#pragma once

#include <cstdint>

struct MonitorState;

// Reports infoRecords slots 0-8 and with sound_flag 1 speaks every disruption
// (line name, then the text in parts of at most 200 bytes) at every call while
// it lasts. Prints each notice that is new, stamp first. Version 2: a slot's
// notice is new when its date changed since the last call, and its date is the
// stamp. Version 4, whose dates are only the answer's generation time: a
// line's notice is new when its status, origin or text differs from the one
// last printed for that line, whatever its slot, and its stamp is its origin,
// else now (Unix time), the moment it was first seen, in Japan time.
void reportStatus(MonitorState& st, std::int64_t now);
