#pragma once
// The simulated open-data feed: an HTTP(S) server on loopback that answers the
// queries of the monitor (trains, line status, fares, timetables) from a train model, from
// recorded responses, or with an injected fault, in both API versions:
// version 2's /api/v2/datapoints?rdf:type=… and version 4's /api/v4/odpt:…
// (with its query filters, 403 for a bad key, rate-limit headers and 429).
// Recordings replay version 2 only. Over plain HTTP every request must arrive
// whole within 2 s, with at most 8 KiB of header and 4 KiB of body, before a
// worker takes it (sim/rig/intake.h), so slow, silent or oversized clients never
// hold the workers.
#include <string>

#include "sim/feed/feed_options.h"
#include "sim/rig/feed_fault.h"

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
