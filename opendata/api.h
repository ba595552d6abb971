#pragma once
// Where the client asks: the API root, its two versions and the request URLs
// of each kind. Version 2 (/api/v2/datapoints?rdf:type=…, closed in 2022)
// and today's version 4 (/api/v4/odpt:…).

#include <optional>
#include <string>

#include "opendata/responses.h"
#include "platform/http.h"

// The API version requests and answers follow.
enum class ApiVersion { V2, V4 };

// Where the client asks and with which key; the program's configuration fills it.
struct ApiSettings {
    std::string root = "https://api.odpt.org";  // trailing slashes are ignored
    std::optional<ApiVersion> version;          // unset: the root's (apiVersionOfRoot)
    std::string consumerKey = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";
    HttpSettings http;
};

// Makes settings the ones every later URL and request uses; until the first
// call the defaults above apply. configureFetch calls it.
void useApiSettings(const ApiSettings& settings);

// The settings in use.
const ApiSettings& apiSettings();

// The version a root speaks when none is asked for: V4 for the host
// api.odpt.org (any scheme, port or case), V2 for every other.
ApiVersion apiVersionOfRoot(const std::string& root);

// The version of the configured client.
ApiVersion apiVersion();

// The API root without trailing slashes + "/api/v2/datapoints?".
std::string datapointsBase();

// The configured consumer key.
std::string consumerKey();

// Request URL of a live kind (Trains or Status), key last. Version 2:
// datapointsBase() + "rdf:type=odpt:Train" + "&acl:consumerKey=" + key;
// version 4: root + "/api/v4/odpt:Train?odpt:operator=odpt.Operator:TokyoMetro"
// + "&acl:consumerKey=" + key (odpt:TrainInformation likewise).
std::string liveUrl(ResponseKind kind);

// Request URL of the fare between two station identifiers (sent as they are,
// plain ASCII), key last: version 2 datapointsBase() +
// "rdf:type=odpt:RailwayFare&odpt:fromStation=…&odpt:toStation=…", version 4
// root + "/api/v4/odpt:RailwayFare?odpt:fromStation=…&odpt:toStation=…".
std::string fareUrl(const std::string& fromStation, const std::string& toStation);

// Request URL of one railway's train timetables of a calendar (version 4):
// root + "/api/v4/odpt:TrainTimetable?odpt:railway=…&odpt:calendar=…", key last.
std::string timetableUrl(const std::string& railway, const std::string& calendar);
