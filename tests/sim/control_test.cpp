#include "control.h"

#include <gtest/gtest.h>

#include "card.h"
#include "options.h"
#include "rig.h"
#include "sim_clock.h"

namespace {

class ControlTest : public ::testing::Test {
  protected:
    std::string Run(const std::string& line) {
        return sim::ExecuteControl(line, card_, rig_, &quit_);
    }

    sim::Card card_;
    double now_ = 0.0;
    sim::Rig rig_{card_, sim::RigParams(), [this] { return now_; }};
    bool quit_ = false;
};

TEST_F(ControlTest, RigOwnsItsChannelsAndInputsUntilSwitchedOff) {
    EXPECT_EQ(Run("set-voltage 0 1.5").rfind("err", 0), 0u);
    EXPECT_EQ(Run("set-inputs ffef").rfind("err", 0), 0u);
    EXPECT_EQ(Run("set-voltage 2 1.5").rfind("err", 0), 0u) << "the extensometer's";
    EXPECT_EQ(Run("set-voltage 3 -1.25"), "ok") << "channels the rig does not use stay free";
    EXPECT_EQ(Run("rig off"), "ok");
    EXPECT_EQ(Run("set-voltage 0 1.5"), "ok");
    EXPECT_EQ(card_.Voltage(0), 1.5);
    EXPECT_EQ(Run("set-voltage 2 0.25"), "ok");
    EXPECT_EQ(Run("get-voltage 2"), "ok 0.250000");
    EXPECT_EQ(Run("get-voltage 3"), "ok -1.250000");
    // However large the value, the reply carries all of it.
    EXPECT_EQ(Run("set-voltage 4 -1e300"), "ok");
    const std::string huge = Run("get-voltage 4");
    EXPECT_EQ(huge.size(), std::string("ok -1").size() + 300 + std::string(".000000").size());
    EXPECT_EQ(huge.substr(huge.size() - 7), ".000000");
    EXPECT_EQ(Run("set-inputs FFEA"), "ok");
    EXPECT_EQ(Run("get-inputs"), "ok ffea");
}

TEST_F(ControlTest, OutputsRegistersButtonsAndState) {
    card_.WriteRegister(dqx7460::kRegDigitalOut, 0x00F9);
    EXPECT_EQ(Run("get-outputs"), "ok 00f9");
    EXPECT_EQ(Run("get-register 128"), "ok 249");
    EXPECT_EQ(Run("press start 500"), "ok");
    EXPECT_EQ(card_.DigitalInputs(), 0xFFEF);
    EXPECT_EQ(Run("travel-limit on"), "ok");
    EXPECT_EQ(card_.DigitalInputs(), 0xFFEE);
    now_ = 1.0;
    std::string state = Run("rig-state");
    EXPECT_EQ(state.rfind("ok time=1.000 position=2.000", 0), 0u) << state;
    EXPECT_NE(state.find("motion=pulling"), std::string::npos);
    EXPECT_NE(state.find("travel-limit=1 inputs=fffe outputs=00f9 rig=on"), std::string::npos);
    // Lu: L0, plus the 16 mm at the break, less the 26 N / (10 N/mm) given back.
    EXPECT_EQ(Run("specimen"),
              "ok area=0.05 gauge-length=100 final-area=0.03 final-gauge-length=113.4");
    EXPECT_EQ(Run("specimen 1").rfind("err", 0), 0u);
    EXPECT_FALSE(quit_);
    EXPECT_EQ(Run("quit"), "ok");
    EXPECT_TRUE(quit_);
}

TEST_F(ControlTest, BadCommandsAreRefusedWithoutEffect) {
    for (const char* line :
         {"", "bogus", "press", "press kick", "press start -5", "press start x",
          "press start 1e300", "press start 60001", "press start inf", "press start nan",
          "set-voltage 32 1", "set-voltage 2 volts", "set-inputs 10000", "get-register 256",
          "travel-limit maybe", "rig", "quit now"}) {
        EXPECT_EQ(Run(line).rfind("err", 0), 0u) << line;
    }
    EXPECT_EQ(card_.DigitalInputs(), 0xFFFF);
    EXPECT_FALSE(quit_);
}

// Held, the rig's clock moves only by the steps asked for: a press stays down however much
// wall time passes, and the crosshead travels by the step alone, before the reply.
TEST(ControlClock, HeldRigMovesByItsStepsOnly) {
    sim::Card card;
    double wall = 0.0;
    sim::SimClock clock(1.0, [&wall] { return wall; });
    sim::Rig rig(card, sim::RigParams(), [&clock] { return clock.Now(); });
    bool quit = false;
    auto run = [&](const std::string& line) {
        return sim::ExecuteControl(line, card, rig, &quit, &clock);
    };
    EXPECT_EQ(run("clock advance 1").rfind("err the clock runs", 0), 0u);
    EXPECT_EQ(run("clock hold"), "ok");
    EXPECT_EQ(run("press start"), "ok");
    wall = 30.0;
    rig.Update();
    EXPECT_EQ(card.DigitalInputs(), 0xFFEF);
    EXPECT_EQ(run("rig-state").rfind("ok time=0.000 position=0.000", 0), 0u);
    EXPECT_EQ(run("clock advance 0.5"), "ok");
    EXPECT_EQ(card.DigitalInputs(), 0xFFFF);
    // 1 mm of crosshead: the grips' slack takes 0.3 mm, the specimen's 10 N/mm and the
    // train's 0.04 mm/N share the rest, 5 N on the 10 N/V sensor.
    EXPECT_NEAR(card.Voltage(0), 0.5, 0.01);
    std::string state = run("rig-state");
    EXPECT_EQ(state.rfind("ok time=0.500 position=1.000", 0), 0u) << state;
    for (const char* line : {"clock", "clock advance", "clock advance 0", "clock advance -1",
                             "clock advance x", "clock stop", "clock hold now"}) {
        EXPECT_EQ(run(line).rfind("err", 0), 0u) << line;
    }
    EXPECT_EQ(run("clock run"), "ok");
    wall = 31.0;
    state = run("rig-state");
    EXPECT_EQ(state.rfind("ok time=1.500 position=3.000", 0), 0u) << state;
    EXPECT_EQ(sim::ExecuteControl("clock hold", card, rig, &quit).rfind("err", 0), 0u);
    EXPECT_FALSE(clock.Held());
}

// A button held until the program has seen it: released, it reads low for the shortest
// hold at least.
TEST_F(ControlTest, HeldButtonReadsLowUntilReleased) {
    EXPECT_EQ(Run("hold start"), "ok");
    now_ = 1.0;
    rig_.Update();
    EXPECT_EQ(card_.DigitalInputs(), 0xFFEF);
    EXPECT_NE(Run("rig-state").find("motion=pulling"), std::string::npos);
    EXPECT_EQ(Run("release start"), "ok");
    now_ = 1.05;
    rig_.Update();
    EXPECT_EQ(card_.DigitalInputs(), 0xFFFF);
    EXPECT_EQ(Run("hold stop"), "ok");
    EXPECT_EQ(card_.DigitalInputs(), 0xFFFD);
    EXPECT_EQ(Run("release stop"), "ok");
    for (const char* line : {"hold", "hold kick", "release", "hold start now"})
        EXPECT_EQ(Run(line).rfind("err", 0), 0u) << line;
}

TEST_F(ControlTest, ExtensometerTakenOffAndClippedOn) {
    EXPECT_EQ(Run("press start"), "ok");
    now_ = 2.0;
    std::string state = Run("rig-state");
    EXPECT_NE(state.find(" toe=0.300 extensometer=on extension="), std::string::npos) << state;
    EXPECT_NE(Run("get-voltage 2"), "ok 0.000000");
    EXPECT_EQ(Run("extensometer off"), "ok");
    EXPECT_EQ(Run("get-voltage 2"), "ok 0.000000");
    EXPECT_NE(Run("rig-state").find(" extensometer=off "), std::string::npos);
    for (const char* line : {"extensometer", "extensometer maybe", "extensometer on now"})
        EXPECT_EQ(Run(line).rfind("err", 0), 0u) << line;
    EXPECT_EQ(Run("get-voltage 2"), "ok 0.000000") << "a refused command changes nothing";
    EXPECT_EQ(Run("extensometer on"), "ok");
    EXPECT_NE(Run("get-voltage 2"), "ok 0.000000");
}

TEST_F(ControlTest, InputReadsCountTheCardsReadBacks) {
    EXPECT_EQ(Run("get-input-reads"), "ok 0");
    EXPECT_EQ(Run("get-input-reads 1").rfind("err", 0), 0u);
}

bool Parse(std::vector<const char*> args, sim::Options* options, std::string* error) {
    args.insert(args.begin(), "dqx7460-sim");
    return sim::ParseOptions(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(SimOptions, CardsPresetsAndParameters) {
    sim::Options plain;
    std::string error;
    ASSERT_TRUE(Parse({}, &plain, &error)) << error;
    ASSERT_EQ(plain.cards.size(), 1u);
    EXPECT_EQ(plain.cards[0].instance, 0);
    EXPECT_EQ(plain.cards[0].deviceNumber, 1);
    EXPECT_TRUE(plain.rigOn);

    sim::Options options;
    ASSERT_TRUE(Parse({"--ultimate-force", "45", "--preset", "strong", "--card", "A:3", "--card",
                       "1:0", "--no-rig", "--dir", "/tmp/x", "--seed", "7"},
                      &options, &error))
        << error;
    EXPECT_EQ(options.rig.specimen.ultimateForce, 45.0) << "single parameters override the preset";
    EXPECT_EQ(options.rig.specimen.breakElongation, 13.0);
    sim::Options film;
    ASSERT_TRUE(Parse({"--preset", "ductile", "--area", "0.4"}, &film, &error)) << error;
    EXPECT_EQ(film.rig.specimen.area, 0.4);
    EXPECT_EQ(film.rig.specimen.gaugeLength, 50.0) << "the film strip's";
    ASSERT_EQ(options.cards.size(), 2u);
    EXPECT_EQ(options.cards[0].instance, 10);
    EXPECT_EQ(options.cards[0].deviceNumber, 3);
    EXPECT_FALSE(options.rigOn);
    EXPECT_EQ(options.dir, "/tmp/x");
    EXPECT_EQ(options.rig.seed, 7u);
    EXPECT_FALSE(options.rig.extensometerOffAt) << "none unless asked for";
    EXPECT_EQ(options.lang, "") << "the locale's language unless asked for";
    ASSERT_TRUE(Parse({"--panel", "--lang", "zh"}, &options, &error)) << error;
    EXPECT_EQ(options.lang, "zh");
    EXPECT_FALSE(Parse({"--lang", "fr"}, &options, &error));
    EXPECT_NE(error.find("--lang"), std::string::npos) << error;
}

TEST(SimOptions, LoadTrainAndExtensometer) {
    sim::Options options;
    std::string error;
    ASSERT_TRUE(Parse({"--compliance", "0.1", "--toe", "0", "--toe-force", "3", "--preset", "rigid",
                       "--extensometer-le", "25", "--extensometer-mm-per-volt", "1",
                       "--extensometer-noise", "0", "--extensometer-off-at", "8.5"},
                      &options, &error))
        << error;
    EXPECT_EQ(options.rig.compliance, 0.1);
    EXPECT_EQ(options.rig.toe, 0.0);
    EXPECT_EQ(options.rig.toeForce, 3.0);
    EXPECT_EQ(options.rig.specimen.stiffness, 20000.0) << "the rigid bar";
    EXPECT_EQ(options.rig.extensometerLength, 25.0);
    EXPECT_EQ(options.rig.extensometerMmPerVolt, 1.0);
    EXPECT_EQ(options.rig.extensometerNoise, 0.0);
    ASSERT_TRUE(options.rig.extensometerOffAt);
    EXPECT_EQ(*options.rig.extensometerOffAt, 8.5);
    EXPECT_NE(sim::Usage().find("--extensometer-off-at"), std::string::npos);
}

TEST(SimOptions, RefusesBadCommandLines) {
    for (std::vector<const char*> args :
         std::vector<std::vector<const char*>>{{"--preset", "rubber"},
                                               {"--card", "16:1"},
                                               {"--card", "0:1", "--card", "0:2"},
                                               {"--card", "0"},
                                               {"--speed", "fast"},
                                               {"--speed", "0"},
                                               {"--break-elongation", "5"},
                                               {"--time-scale", "-1"},
                                               {"--compliance", "-0.01"},
                                               {"--compliance", "stiff"},
                                               {"--compliance", "0.5"},
                                               {"--toe", "-1"},
                                               {"--toe-force", "0"},
                                               {"--extensometer-le", "0"},
                                               {"--extensometer-mm-per-volt", "-2"},
                                               {"--extensometer-noise", "-1"},
                                               {"--extensometer-off-at", "0"},
                                               {"--extensometer-off-at", "half"},
                                               {"--extensometer-off-at", "nan"},
                                               {"--extensometer-off-at"},
                                               {"--dir"},
                                               {"--bogus", "1"}}) {
        sim::Options options;
        std::string error;
        EXPECT_FALSE(Parse(args, &options, &error)) << args[0];
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
