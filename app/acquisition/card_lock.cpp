#include "acquisition/card_lock.h"

void CardLock::lock() {
    std::unique_lock<std::mutex> lock(mutex_);
    const unsigned long long ticket = nextTicket_++;
    turn_.wait(lock, [this, ticket] { return serving_ == ticket; });
}

void CardLock::unlock() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++serving_;
    }
    turn_.notify_all();
}
