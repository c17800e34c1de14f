// Decides when a card that keeps failing is lost. A single failed read is skipped
// silently; a card whose reads have all failed for about a second no longer answers (a
// closed connection, a stall, a torn reply), and its handle is good only for closing.
// A lost card is opened again after growing pauses: a hung card holds each attempt on the
// window's thread for the library's operation budget, and attempts back to back would
// leave the window no time between them.
#pragma once

#include <algorithm>
#include <chrono>

class CardWatch {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kLostAfter{1000};
    static constexpr std::chrono::milliseconds kFirstReopenDelay{1000};
    static constexpr std::chrono::milliseconds kLongestReopenDelay{8000};

    // The pause before the next attempt to open a lost card, after `failedAttempts` failed
    // ones: 1 s, doubling to at most 8 s.
    static std::chrono::milliseconds ReopenDelay(int failedAttempts) {
        std::chrono::milliseconds delay = kFirstReopenDelay;
        for (int i = 0; i < failedAttempts && delay < kLongestReopenDelay; ++i) delay *= 2;
        return std::min(delay, kLongestReopenDelay);
    }
    // The pause before the next attempt; each call counts one more failed attempt, until
    // the reads restart.
    std::chrono::milliseconds NextReopenDelay() { return ReopenDelay(reopenAttempts_++); }

    // The reads begin (start-up, timers restarted, card opened again): time is counted from
    // now, not from an answer before a pause.
    void Restart(Clock::time_point now = Clock::now()) {
        lastAnswer_ = now;
        reopenAttempts_ = 0;
    }
    // One read's outcome; true when the card has now failed for kLostAfter since it last
    // answered.
    bool Report(bool answered, Clock::time_point now = Clock::now()) {
        if (answered) {
            lastAnswer_ = now;
            return false;
        }
        return now - lastAnswer_ >= kLostAfter;
    }

  private:
    Clock::time_point lastAnswer_ = Clock::now();
    int reopenAttempts_ = 0;
};
