// The card library serialises nothing: two threads that use one handle at once interleave
// their requests, and the card (or the socket behind the handle) takes the mixture as a
// broken conversation. Every call the program makes into the library therefore holds one
// lock per card, and the handle itself is read and replaced under it.
#pragma once

#include <condition_variable>
#include <mutex>
#include <utility>

#include "DQX7460.h"

// A lock taken in the order it was asked for: the worker, which asks again as soon as it
// has parsed a block, cannot hold the window's thread off, nor the other way round.
class CardLock {
  public:
    void lock();
    void unlock();

  private:
    std::mutex mutex_;
    std::condition_variable turn_;
    unsigned long long nextTicket_ = 0;
    unsigned long long serving_ = 0;
};

// Runs call(handle) under the lock and returns what it returns. The call must not take the
// lock again (it is not recursive).
template <typename Call>
auto WithLockedHandle(CardLock& lock, const HANDLE& handle, Call&& call) {
    std::lock_guard<CardLock> guard(lock);
    return std::forward<Call>(call)(handle);
}
