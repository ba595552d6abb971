#pragma once
// HTTP(S) GET with verified TLS, timeouts, a body that is handed over chunk
// by chunk as it arrives, and a hook that can abandon the transfer at any time.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Time limits and trust of every GET; the program's configuration fills it.
struct HttpSettings {
    long connectTimeoutMs = 10000;  // connection set-up, TLS included
    long totalTimeoutMs = 30000;    // whole transfer, body included
    std::string caFile;             // trusted certificates (PEM); empty: the system's
};

// What one GET asks for.
struct HttpRequest {
    std::string url;
    std::string userAgent;
    HttpSettings settings;
};

// How one GET ended.
struct HttpResult {
    bool completed = false;  // the transfer ran to its end (any HTTP status)
    bool abandoned = false;  // the abandon hook ended it
    long status = 0;         // HTTP status of the last answer, 0 when none arrived
    std::string error;       // transport error text when not completed
};

// Receives body bytes in arrival order, on the thread that runs the transfer
// (see http_get_all); returning false stops the transfer.
using HttpChunkFn = std::function<bool(const char* data, std::size_t size)>;

// Asked at least every kHttpAbandonCheckMs while a transfer runs, whether or
// not bytes arrive; returning true abandons the transfer.
using HttpAbandonFn = std::function<bool()>;
inline constexpr long kHttpAbandonCheckMs = 100;

// Performs the GET, never from a cache, following up to 5 redirects within
// http and https (from https only to https). Blocks until done, failed, timed
// out or abandoned; an empty shouldAbandon never abandons.
HttpResult http_get(const HttpRequest& request, const HttpChunkFn& onChunk,
                    const HttpAbandonFn& shouldAbandon = nullptr);

// One of the GETs that http_get_all runs together: what it asks for, where
// its body goes and who hears how it ended.
struct HttpTransfer {
    HttpRequest request;
    HttpChunkFn onChunk;
    std::function<void(const HttpResult&)> onDone;
};

// Performs the GETs, at most atOnce (at least 1) at the same time and each
// as http_get would, in their order: the next starts as soon as one has
// ended, and its time limits count from then. Calls each onDone and
// shouldAbandon on this thread, each onDone as soon as its GET has ended,
// and the onChunks, in arrival order and never two at once, on a download
// thread of its own, so transfers go on while an onDone runs (the WinHTTP
// back-end runs the GETs one after another, all on this thread). Blocks
// until all have ended; shouldAbandon is asked before each onDone, and once
// it says so every GET still running, waiting, or ended and not yet told
// ends abandoned.
void http_get_all(const std::vector<HttpTransfer>& transfers, int atOnce,
                  const HttpAbandonFn& shouldAbandon = nullptr);
