#pragma once
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
