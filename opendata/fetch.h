#pragma once
// Downloads of the open-data API's datapoints into the three in-memory
// response texts, converted from the API's UTF-8 to Shift_JIS as they arrive.
// A failed download (transport error, non-2xx answer, a body that is not
// JSON) leaves its text empty and prints one console line naming the kind
// and the cause; the consumer key is never printed, and every echo of it in a
// response text is masked (maskKey). A download abandoned
// through its hook leaves its text empty and prints nothing.
//
// Two API versions: version 2 (/api/v2/datapoints?rdf:type=…, closed in
// 2022) and today's version 4 (/api/v4/odpt:…). A version-4 answer is
// rewritten into the version-2 text (opendata/normalise_v4.h) before the
// conversion, so the parser reads both alike. Version 4 also keeps within
// 60 requests a minute, answers 429 and 503 with one line each (the next
// refresh tries again), says when an answer holds the 1,000 objects the API
// cuts at, and says once that the operator publishes no train positions.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/http.h"

// Which response a text holds; the value is the index of its text.
enum class ResponseKind : int { Trains = 0, Status = 1, Fare = 2 };

// The three Shift_JIS response texts, indexed by ResponseKind.
struct ResponseTexts {
    std::string text[3];
    std::string& operator[](ResponseKind kind) { return text[static_cast<int>(kind)]; }
};

// Owned by the client; each text holds the last body of its kind.
extern ResponseTexts responseText;

// Longest body kept, in bytes as received (8 MiB); a longer one is cut off
// there and the cut reported.
inline constexpr std::size_t responseByteCap = 8u << 20;

// The API version requests and answers follow.
enum class ApiVersion { V2, V4 };

// Where the client asks and with which key; the program's configuration fills it.
struct ApiSettings {
    std::string root = "https://api.odpt.org";  // trailing slashes are ignored
    std::optional<ApiVersion> version;          // unset: the root's (apiVersionOfRoot)
    std::string consumerKey = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";
    HttpSettings http;
};

// The version a root speaks when none is asked for: V4 for the host
// api.odpt.org (any scheme, port or case), V2 for every other.
ApiVersion apiVersionOfRoot(const std::string& root);

// The version of the configured client.
ApiVersion apiVersion();

// Makes settings the ones every later download uses, and starts the request
// count and the once-only notes afresh; until the first call the defaults
// above apply. Call it from the main thread while no download runs.
void configureFetch(const ApiSettings& settings);

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

// Downloads the running trains, then the status of all lines, each text
// emptied as its download starts. Blocks until both are done or failed, or
// until shouldAbandon (asked every httpAbandonCheckMs) says to give up, in
// which case the status is not fetched. In version 4 a refused train request
// (429, 503 or the 60 a minute used up) leaves the status undone and its text
// empty: one line, one retry next time. False only when abandoned.
bool fetchLive(const HttpAbandonFn& shouldAbandon);

// Request URL of one railway's train timetables of a calendar (version 4):
// root + "/api/v4/odpt:TrainTimetable?odpt:railway=…&odpt:calendar=…", key last.
std::string timetableUrl(const std::string& railway, const std::string& calendar);

// Hears one railway's answer of fetchTimetables: the railway's place in the
// list asked for, and its body (UTF-8 JSON as the API sent it), or nullptr
// when it failed and one console line said why (one line for all those the
// requests a minute left out).
using TimetableArrivalFn = std::function<void(std::size_t railway, const std::string* body)>;

// Timetable downloads that run at the same time: all of a day's, within the
// API's 60 requests a minute. Each answer is read and drawn on this thread
// while the others go on arriving; against a server whose answers take
// 300 ms to start the whole day came in 2.2 s instead of 4.3 s one at a
// time. Up to this many bodies of responseByteCap are held meanwhile.
inline constexpr int timetablesAtOnce = 10;

// Downloads the timetables of the railways of a calendar, timetablesAtOnce
// at a time, each counted against the requests a minute like every
// version-4 request, and hands each to arrived on this thread as soon as it
// is in whole (a failed one, or one no whole JSON, as nullptr). Blocks until
// all have been handed over, or until shouldAbandon says to give up: then
// the ones not yet in are not handed over and the result is false.
bool fetchTimetables(const std::vector<std::string>& railways, const std::string& calendar,
                     const TimetableArrivalFn& arrived, const HttpAbandonFn& shouldAbandon);

// Empties the Fare text and downloads the complete URL into it. Blocks, as
// fetchLive does; false when abandoned.
bool fetchFare(const std::string& url, const HttpAbandonFn& shouldAbandon);
