#pragma once
// Recorded responses served in place of the simulation. A folder holds, per
// rdf:type, either one file "<Type>.json" (e.g. Train.json for odpt:Train) or
// a numbered sequence "<Type>.1.json", "<Type>.2.json", ...; each request of
// a type gets the next file of its sequence, and the last one repeats. Types
// without a recording are answered by the model.
#include <map>
#include <string>
#include <vector>

// The loaded recordings and how far each sequence has been served.
struct ReplaySet {
    std::map<std::string, std::vector<std::string>> bodies;  // by rdf:type, in order
    std::map<std::string, size_t> served;                    // requests answered per type
};

// Reads every recording of dir; false with the reason in *error when the
// folder cannot be read or holds no recording.
bool loadReplay(const std::string& dir, ReplaySet* set, std::string* error);

// The body for the next request of rdf:type `type` ("odpt:Train"), or
// nullptr when the folder has no recording of that type.
const std::string* replayNext(ReplaySet& set, const std::string& type);
