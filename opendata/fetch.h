#pragma once
// Downloads of the open-data API's datapoints into the three in-memory
// response texts, converted from the API's UTF-8 to Shift_JIS as they arrive.
// A failed download (transport error, non-2xx answer, a body that is not
// JSON) leaves its text empty and prints one console line naming the kind
// and the cause; the consumer key is never printed.

#include <cstddef>
#include <string>

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

// Where the client asks and with which key; the program's configuration fills it.
struct ApiSettings {
    std::string root = "https://api.tokyometroapp.jp";  // trailing slashes are ignored
    std::string consumerKey = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";
    HttpSettings http;
};

// Makes settings the ones every later download uses; until the first call the
// defaults above apply. Call it from the main thread while no download runs.
void configureFetch(const ApiSettings& settings);

// The API root without trailing slashes + "/api/v2/datapoints?".
std::string datapointsBase();

// The configured consumer key.
std::string consumerKey();

// Request URL of a live kind (Trains or Status): datapointsBase() + query +
// "&acl:consumerKey=" + consumerKey().
std::string liveUrl(ResponseKind kind);

// Downloads the running trains, then the status of all lines, each text
// emptied as its download starts. Blocks until both are done or failed.
void fetchLive();

// Empties the Fare text and downloads the complete URL into it. Blocks.
void fetchFare(const std::string& url);
