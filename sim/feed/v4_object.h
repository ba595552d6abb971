#pragma once
// Objects as the API's version 4 writes them: members given in any order are
// written with their keys sorted by byte length, then bytewise, so "@context"
// comes fourth and the longest key last. Nested objects are V4Objects too.
#include <string>
#include <utility>
#include <vector>

// An object being built: each member's key and the JSON text of its value.
struct V4Object {
    std::vector<std::pair<std::string, std::string>> members;
};

// Adds a string member (UTF-8, escaped as JSON).
void v4Text(V4Object& object, const std::string& key, const std::string& value);

// Adds a member whose value is ready JSON text: a number, null, an array or a
// nested object from v4Json.
void v4Raw(V4Object& object, const std::string& key, std::string json);

// The object as minified JSON, keys in the version-4 order.
std::string v4Json(V4Object object);

// A JSON array of the given JSON texts.
std::string v4Array(const std::vector<std::string>& items);
