#pragma once
// The simulated open-data feed: an HTTP(S) server on loopback that answers the
// queries of the monitor (trains, line status, fares, timetables) from a train model, from
// recorded responses, or with an injected fault, in both API versions:
// version 2's /api/v2/datapoints?rdf:type=… and version 4's /api/v4/odpt:…
// (with its query filters, 403 for a bad key, rate-limit headers and 429).
// Recordings replay version 2 only. Over plain HTTP every request must arrive
// whole within 2 s, with at most 8 KiB of header and 4 KiB of body, before a
// worker takes it (sim/intake.h), so slow, silent or oversized clients never
// hold the workers.
#include <cstdint>
#include <optional>
#include <string>

// What the feed does to every datapoints answer instead of answering normally.
// Slow and Hang hold at most a dozen answers at a time; the oldest beyond that
// is answered 503 so that the feed always has workers left.
enum class FeedFault {
    None,
    Slow,      // answers after 60 s
    Hang,      // accepts the request and never answers
    Drop,      // closes the connection in the middle of the body
    Error500,  // 500 with a plain-text body
    Html,      // 200 with a captive-portal HTML page
    BadUtf8,   // a body holding malformed UTF-8 sequences
    Huge,      // 1000 trains
    Ctrl,      // control characters and terminal escape sequences inside a notice
    Emoji,     // characters that have no Shift_JIS form inside a notice
    Trickle,   // version-4 timetables only: 64 bytes every 200 ms until the client or the feed gives up
};

// The consumer key the feed accepts unless told otherwise: 64 lowercase hex digits.
extern const char feedDefaultKey[65];

// Settings of one feed; the defaults give the simulation on a free loopback port.
struct FeedOptions {
    std::string host = "127.0.0.1";         // address to bind
    int port = 0;                           // 0 picks a free port
    std::string key = feedDefaultKey;       // the only acl:consumerKey answered
    std::uint32_t seed = 1;                 // seed of the train model's delays and disruptions
    std::optional<std::int64_t> startTime;  // Unix time the simulated clock starts at; none: the real clock
    bool rateLimit = true;                  // v2: 503 for a second request of one type and key within 100 ms;
                            // v4: 429 beyond 60 requests a minute, 3,600 an hour, 24,000 a day
    FeedFault fault = FeedFault::None;
    int disruptRailway = -1;    // railway index 0..8 with a forced notice, -1 none
    std::string disruptText;    // the forced notice, UTF-8
    std::string replayDir;      // non-empty: serve recorded files where there are some
    bool multilingual = false;  // v4 notices in en, ko, zh-Hans and zh-Hant as well
    bool v4Positions = false;   // v4 serves the running trains (the real API answers [])
    int answerDelayMs = 0;      // every answer waits this long first, as a distant server's do
    std::string certFile;       // with keyFile: serve HTTPS
    std::string keyFile;
};

// A running feed (opaque).
struct Feed;

// Binds, starts serving on a thread of its own and returns the feed; nullptr with
// the reason in *error when the address, certificate or replay folder is unusable.
Feed* feed_start(const FeedOptions& options, std::string* error);

// Stops serving, cuts held answers (slow, hang) short, joins the thread, frees the feed.
void feed_stop(Feed* feed);

// The port the feed listens on.
int feed_port(const Feed* feed);

// The API root a client is pointed at: "http://127.0.0.1:PORT" (https with a certificate).
std::string feed_root(const Feed* feed);

// Number of answers that slow or hang hold back at this moment.
int feed_held_answers(Feed* feed);

// Switches the fault of a running feed; None returns it to normal answers.
void feed_set_fault(Feed* feed, FeedFault fault);

// Forces a disruption notice on railway 0..8 (or the branch) with a UTF-8 text (its date kept when
// the same notice is forced again); railway -1 clears it.
void feed_set_disruption(Feed* feed, int railway, const std::string& text);
