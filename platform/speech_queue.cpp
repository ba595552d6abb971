#include "platform/speech_queue.h"

#include <chrono>

bool phrase_push(PhraseQueue& q, std::string phrase)
{
    bool dropped = false;
    {
        std::lock_guard<std::mutex> g(q.lock);
        if (q.capacity == 0)
            return true;
        if (q.phrases.size() >= q.capacity) {
            q.phrases.pop_front();
            dropped = true;
        }
        q.phrases.push_back(std::move(phrase));
    }
    q.changed.notify_all();
    return dropped;
}

bool phrase_pop(PhraseQueue& q, std::string& phrase)
{
    std::unique_lock<std::mutex> g(q.lock);
    q.changed.wait(g, [&] { return q.closed || !q.phrases.empty(); });
    if (q.closed)
        return false;
    phrase = std::move(q.phrases.front());
    q.phrases.pop_front();
    q.busy = true;
    return true;
}

void phrase_done(PhraseQueue& q)
{
    {
        std::lock_guard<std::mutex> g(q.lock);
        q.busy = false;
    }
    q.changed.notify_all();
}

bool phrase_wait_idle(PhraseQueue& q, int timeout_ms)
{
    std::unique_lock<std::mutex> g(q.lock);
    return q.changed.wait_for(g, std::chrono::milliseconds(timeout_ms),
                              [&] { return q.closed || (q.phrases.empty() && !q.busy); });
}

void phrase_close(PhraseQueue& q)
{
    {
        std::lock_guard<std::mutex> g(q.lock);
        q.closed = true;
        q.phrases.clear();
    }
    q.changed.notify_all();
}
