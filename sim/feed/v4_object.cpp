#include "sim/feed/v4_object.h"

#include <algorithm>

#include "sim/feed/responses.h"

void v4Text(V4Object& object, const std::string& key, const std::string& value)
{
    object.members.emplace_back(key, jsonQuoted(value));
}

void v4Raw(V4Object& object, const std::string& key, std::string json)
{
    object.members.emplace_back(key, std::move(json));
}

std::string v4Json(V4Object object)
{
    std::sort(object.members.begin(), object.members.end(), [](const auto& a, const auto& b) {
        if (a.first.size() != b.first.size())
            return a.first.size() < b.first.size();
        // bytewise means unsigned, which std::string's compare already is
        return a.first.compare(b.first) < 0;
    });
    std::string out = "{";
    for (const auto& [key, value] : object.members) {
        if (out.size() > 1)
            out += ',';
        appendJsonString(out, key);
        out += ':';
        out += value;
    }
    return out + '}';
}

std::string v4Array(const std::vector<std::string>& items)
{
    std::string out = "[";
    for (const std::string& item : items) {
        if (out.size() > 1)
            out += ',';
        out += item;
    }
    return out + ']';
}
