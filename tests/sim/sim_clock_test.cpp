#include "sim_clock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

class SimClockTest : public ::testing::Test {
  protected:
    double wall_ = 100.0;
    sim::SimClock clock_{2.0, [this] { return wall_; }};
};

TEST_F(SimClockTest, RunsAtItsScaleFromZero) {
    EXPECT_EQ(clock_.Now(), 0.0);
    wall_ = 101.5;
    EXPECT_EQ(clock_.Now(), 3.0);
    EXPECT_FALSE(clock_.Held());
    EXPECT_FALSE(clock_.Advance(1.0)) << "a running clock is not stepped";
    EXPECT_EQ(clock_.Now(), 3.0);
}

TEST_F(SimClockTest, HeldItMovesOnlyByItsStepsAndRunsOnWithoutAJump) {
    wall_ = 101.0;
    clock_.Hold();
    EXPECT_TRUE(clock_.Held());
    wall_ = 150.0;
    EXPECT_EQ(clock_.Now(), 2.0);
    EXPECT_TRUE(clock_.Advance(0.25));
    EXPECT_TRUE(clock_.Advance(0.5));
    EXPECT_EQ(clock_.Now(), 2.75);
    for (double bad : {0.0, -1.0, std::nan(""), std::numeric_limits<double>::infinity()})
        EXPECT_FALSE(clock_.Advance(bad)) << bad;
    EXPECT_EQ(clock_.Now(), 2.75);
    // The wall time that passed while held is not made up.
    clock_.Run();
    EXPECT_EQ(clock_.Now(), 2.75);
    wall_ = 151.0;
    EXPECT_EQ(clock_.Now(), 4.75);
    // Holding again keeps the time reached.
    clock_.Hold();
    clock_.Hold();
    wall_ = 160.0;
    EXPECT_EQ(clock_.Now(), 4.75);
}

}  // namespace
