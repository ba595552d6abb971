#pragma once
// Downloads of the open-data API's datapoints into the response texts
// (opendata/responses.h), converted from the API's UTF-8 to Shift_JIS as they
// arrive. A failed download (transport error, non-2xx answer, a body that is
// not JSON) leaves its text empty and prints one console line naming the
// kind and the cause; the consumer key is never printed, and every echo of
// it in a response text is masked (maskKey). A download abandoned through its
// hook leaves its text empty and prints nothing.
//
// A version-4 answer (opendata/api.h) is rewritten into the version-2 text
// (opendata/normalise_v4.h) before the conversion, so the parser reads both
// alike. Version 4 also keeps within the requests a minute
// (opendata/request_limit.h), answers 429 and 503 with one line each (the
// next refresh tries again), says when an answer holds the 1,000 objects the
// API cuts at, and says once that the operator publishes no train positions.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "opendata/api.h"
#include "opendata/responses.h"
#include "platform/http.h"

// Makes settings the ones every later download uses (useApiSettings), and
// starts the request count and the once-only notes afresh; until the first
// call the defaults of ApiSettings apply. Call it from the main thread while
// no download runs.
void configureFetch(const ApiSettings& settings);

// Downloads the running trains, then the status of all lines, each text
// emptied as its download starts. Blocks until both are done or failed, or
// until shouldAbandon (asked every kHttpAbandonCheckMs) says to give up, in
// which case the status is not fetched. In version 4 a refused train request
// (429, 503 or the 60 a minute used up) leaves the status undone and its text
// empty: one line, one retry next time. False only when abandoned.
bool fetchLive(const HttpAbandonFn& shouldAbandon);

// Hears one railway's answer of fetchTimetables: the railway's place in the
// list asked for, and its body (UTF-8 JSON as the API sent it), or nullptr
// when it failed and one console line said why (one line for all those the
// requests a minute left out).
using TimetableArrivalFn = std::function<void(std::size_t railway, const std::string* body)>;

// Timetable downloads that run at the same time: all of a day's, within the
// API's 60 requests a minute. Each answer is read and drawn on this thread
// while the others go on arriving; against a server whose answers take
// 300 ms to start the whole day came in 2.2 s instead of 4.3 s one at a
// time. Up to this many bodies of kResponseByteCap are held meanwhile.
inline constexpr int kTimetablesAtOnce = 10;

// Downloads the timetables of the railways of a calendar, kTimetablesAtOnce
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
