// Operation status notices: printing new ones and speaking disruptions.
#pragma once

struct MonitorState;

// Reports infoRecords slots 0-8: prints each notice whose date changed since
// the last call, and with sound_flag 1 speaks every disruption (line name,
// then the text in parts of at most 200 bytes) at every call while it lasts.
void reportStatus(MonitorState& st);
