#include "opendata/request_limit.h"

#include <chrono>
#include <deque>

#include "opendata/notes.h"
#include "platform/console.h"

namespace {

using Clock = std::chrono::steady_clock;
std::deque<Clock::time_point> v4Requests;  // start times within the last minute, oldest first

}  // namespace

bool takeV4Request()
{
    const Clock::time_point now = Clock::now();
    while (!v4Requests.empty() && now - v4Requests.front() >= std::chrono::minutes(1))
        v4Requests.pop_front();
    if (v4Requests.size() >= kV4RequestsPerMinute)
        return false;
    v4Requests.push_back(now);
    return true;
}

void forgetV4Requests()
{
    v4Requests.clear();
}

void tellRefused(const char* name)
{
    console_print("%s: 1分間の利用上限（%zu 回）に達するため、今回は取得しません。%s\n", name,
                  kV4RequestsPerMinute, kRetryNextRefresh);
}
