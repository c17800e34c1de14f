// Decides when a card that keeps failing is lost. A single failed read is skipped
// silently; a card whose reads have all failed for about a second no longer answers (a
// closed connection, a stall, a torn reply), and its handle is good only for closing.
#pragma once

#include <chrono>

class CardWatch {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kLostAfter{1000};

    // The reads begin (start-up, timers restarted, card opened again): time is counted from
    // now, not from an answer before a pause.
    void Restart(Clock::time_point now = Clock::now()) { lastAnswer_ = now; }
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
};
