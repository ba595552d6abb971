// A bounded first-in first-out queue of phrases shared by the caller of the
// speech layer and its worker thread.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>

// Holds at most `capacity` phrases; a push into a full queue drops the oldest.
struct PhraseQueue {
    explicit PhraseQueue(std::size_t capacity) : capacity(capacity) {}

    std::size_t capacity;
    std::mutex lock;
    std::condition_variable changed;
    std::deque<std::string> phrases;  // at most capacity entries
    bool busy = false;                // the worker is handling a popped phrase
    bool closed = false;              // no more pops wait; the worker ends
};

// Appends a phrase; returns true when the oldest phrase had to be dropped.
bool phrase_push(PhraseQueue& q, std::string phrase);

// Waits for the next phrase and marks the worker busy; false once closed.
bool phrase_pop(PhraseQueue& q, std::string& phrase);

// Marks the phrase popped last as done (the worker is idle again).
void phrase_done(PhraseQueue& q);

// Waits until the queue is empty and the worker idle, at most timeout_ms
// milliseconds; true when that happened in time.
bool phrase_wait_idle(PhraseQueue& q, int timeout_ms);

// Wakes every waiter; later pops return false. Queued phrases are discarded.
void phrase_close(PhraseQueue& q);
