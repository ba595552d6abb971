#pragma once
// The feed's intake: an HTTP server whose new connections wait, all on one
// thread, until their whole request has arrived within a size and a time
// limit; only then does a worker answer them, one request per connection.
// Slow, silent and oversized requests so never hold a worker, and a normal
// client is answered whatever they do.
#include <httplib.h>

#include <cstddef>
#include <memory>

// Limits of one request as a client sends it.
struct RequestLimits {
    std::size_t headerBytes = 8192;         // request line and headers up to the blank line
    std::size_t bodyBytes = 4096;           // declared Content-Length
    int requestMs = 2000;                   // from accept until the request's last byte
    int answerMs = 10000;                   // from the answer's first byte until its last
    std::size_t waitingConnections = 1024;  // beyond this the oldest waiting connection is closed
};

// A plain-HTTP server: routes and the other settings as on httplib::Server;
// `workers` threads answer the requests that passed the intake. Requests over
// a limit are answered 408, 411, 413 or 431 by the intake and closed.
std::unique_ptr<httplib::Server> intakeServer(const RequestLimits& limits, int workers);
