#pragma once
// Whether the bytes a client has sent so far make one whole HTTP request
// within the feed's limits.
#include <cstddef>
#include <string>

// What to do with the bytes received so far.
struct RequestCheck {
    int refusal = 0;         // HTTP status to refuse with (400, 411, 413, 431), 0 none
    std::size_t length = 0;  // bytes of the whole request once they have all arrived, else 0
};

// Checks a request's start: the header must end (first blank line) within
// headerBytes; a body is taken only with a Content-Length of at most
// bodyBytes (never chunked: 411); a malformed or repeated length is 400.
RequestCheck checkRequest(const std::string& bytes, std::size_t headerBytes, std::size_t bodyBytes);
