#include "sim/rig/replay.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <sstream>

namespace {

// Splits "Train.json" into ("Train", 0) and "Train.12.json" into ("Train", 12).
bool recordingName(const std::string& name, std::string* type, long* step)
{
    const std::string ext = ".json";
    if (name.size() <= ext.size() || name.compare(name.size() - ext.size(), ext.size(), ext) != 0)
        return false;
    std::string stem = name.substr(0, name.size() - ext.size());
    size_t dot = stem.rfind('.');
    *step = 0;
    if (dot != std::string::npos) {
        std::string digits = stem.substr(dot + 1);
        if (digits.empty() ||
            !std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return c >= '0' && c <= '9'; }))
            return false;
        *step = std::strtol(digits.c_str(), nullptr, 10);
        stem.resize(dot);
    }
    if (stem.empty())
        return false;
    *type = "odpt:" + stem;
    return true;
}

}  // namespace

bool loadReplay(const std::string& dir, ReplaySet* set, std::string* error)
{
    DIR* d = opendir(dir.c_str());
    if (!d) {
        *error = "cannot read replay folder " + dir + ": " + std::strerror(errno);
        return false;
    }
    std::map<std::string, std::vector<std::pair<long, std::string>>> found;
    while (dirent* e = readdir(d)) {
        std::string type;
        long step;
        if (!recordingName(e->d_name, &type, &step))
            continue;
        std::ifstream in(dir + "/" + e->d_name, std::ios::binary);
        std::ostringstream body;
        body << in.rdbuf();
        found[type].emplace_back(step, body.str());
    }
    closedir(d);
    if (found.empty()) {
        *error = "no recordings (<Type>.json or <Type>.<n>.json) in " + dir;
        return false;
    }
    for (auto& [type, files] : found) {
        std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto& f : files)
            set->bodies[type].push_back(std::move(f.second));
    }
    return true;
}

const std::string* replayNext(ReplaySet& set, const std::string& type)
{
    auto it = set.bodies.find(type);
    if (it == set.bodies.end())
        return nullptr;
    size_t& served = set.served[type];
    const std::string* body = &it->second[std::min(served, it->second.size() - 1)];
    ++served;
    return body;
}
