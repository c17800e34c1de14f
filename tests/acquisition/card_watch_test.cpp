#include "acquisition/card_watch.h"

#include <gtest/gtest.h>

namespace {

using std::chrono::milliseconds;

// A card is lost once its reads have failed for a second since it last answered; time
// before a restart of the reads does not count.
TEST(CardWatch, LostAfterASecondWithoutAnAnswer) {
    const CardWatch::Clock::time_point t0{};
    const struct {
        const char* name;
        int answeredAtMs;  // -1: no answer after the restart
        int failedAtMs;
        bool lost;
    } cases[] = {
        {"first failure", -1, 10, false},
        {"failing just under a second", -1, 999, false},
        {"failing a second since the restart", -1, 1000, true},
        {"answered meanwhile", 600, 1500, false},
        {"a second since the last answer", 600, 1600, true},
    };
    for (const auto& c : cases) {
        CardWatch watch;
        watch.Restart(t0);
        if (c.answeredAtMs >= 0) {
            EXPECT_FALSE(watch.Report(true, t0 + milliseconds(c.answeredAtMs)));
        }
        EXPECT_EQ(watch.Report(false, t0 + milliseconds(c.failedAtMs)), c.lost) << c.name;
    }
}

// A lost card is tried again after 1, 2, 4 and then every 8 seconds, so that a card that
// holds each attempt for the library's 2 s budget leaves the window most of its time; an
// answer starts the schedule over.
TEST(CardWatch, ReopenAttemptsBackOffToSeveralSeconds) {
    const int expected[] = {1000, 2000, 4000, 8000, 8000, 8000};
    CardWatch watch;
    for (int ms : expected) EXPECT_EQ(watch.NextReopenDelay(), milliseconds(ms));
    EXPECT_EQ(CardWatch::ReopenDelay(1000000), CardWatch::kLongestReopenDelay);
    watch.Restart();
    EXPECT_EQ(watch.NextReopenDelay(), milliseconds(1000));
}

}  // namespace
