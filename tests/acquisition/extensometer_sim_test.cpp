// The card's three-channel scan read through the card library from the dqx7460-sim program
// over its instance sockets: the extensometer's channel reads what the simulator's rig says
// its extensometer spans, and the two-channel scan of a card without it reads channels 0
// and 1 as before.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "../common/scratch_folder.h"
#include "acquisition/card_access.h"
#include "acquisition_fixture.h"
#include "control_client.h"
#include "paths.h"
#include "settings/extensometer_settings.h"

extern char** environ;

namespace {

constexpr double kSimMmPerVolt = 2.0;  // the simulator's extensometer
// Its noise is 0.0005 mm (one standard deviation); a code of the ±5 V range is 0.0003 mm.
constexpr double kWithinNoise = 0.004;
// The rig draws its sensors' noise afresh whenever it is asked, even on a held clock: two
// reads of channels 0 and 1 differ by it (0.002 V and 0.00025 V, one standard deviation).
constexpr double kForceVoltsNoise = 0.02;
constexpr double kDisplacementVoltsNoise = 0.003;

bool Exists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

// The number after "key=" in a rig-state reply.
double StateNumber(const std::string& state, const std::string& key) {
    const auto at = state.find(" " + key + "=");
    if (at == std::string::npos) return -1e9;
    return std::strtod(state.c_str() + at + key.size() + 2, nullptr);
}

class ExtensometerSimTest : public AcquisitionTest {
  protected:
    void SetUp() override {
        AcquisitionTest::SetUp();
        ASSERT_TRUE(scratch_.Made());
        setenv("DQX7460_DRIVER_DIR", scratch_.Path().c_str(), 1);
        std::vector<std::string> args = {DQX7460_SIM_PATH, "--dir", scratch_.Path()};
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        ASSERT_EQ(posix_spawn(&pid_, DQX7460_SIM_PATH, nullptr, nullptr, argv.data(), environ), 0);
        ASSERT_TRUE(WaitFor([this] { return Exists(sim::ControlSocketPath(scratch_.Path())); }));
        std::string error;
        ASSERT_TRUE(WaitFor([&] { return control_.Connect(scratch_.Path(), &error); })) << error;
        ASSERT_EQ(Control("clock hold"), "ok");
        ASSERT_TRUE(WaitFor([this] { return daq_.OpenCard() == 0; }));
    }
    void TearDown() override {
        daq_.CloseCard();
        control_.Close();
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        unsetenv("DQX7460_DRIVER_DIR");
    }
    std::string Control(const std::string& command) {
        std::string reply;
        EXPECT_TRUE(control_.Send(command, &reply)) << command;
        return reply;
    }
    // The rig's start button, then the crosshead pulling for `seconds` of the held clock.
    void Pull(double seconds) {
        ASSERT_EQ(Control("hold start"), "ok");
        ASSERT_EQ(Control("clock advance 0.1"), "ok");
        ASSERT_EQ(Control("release start"), "ok");
        ASSERT_EQ(Control("clock advance " + std::to_string(seconds)), "ok");
    }

    ScratchFolder scratch_{"vx"};
    pid_t pid_ = 0;
    sim::ControlClient control_;
    Card daq_;
};

TEST_F(ExtensometerSimTest, ThirdChannelReadsTheRigsExtensometer) {
    Pull(3.0);
    const std::string state = Control("rig-state");
    ASSERT_NE(state.find("extensometer=on"), std::string::npos) << state;
    const double extension = StateNumber(state, "extension");
    ASSERT_GT(extension, 0.05) << state;

    // The held clock keeps the rig where it is between the scans.
    daq_.ConfigureCard(settings);
    ChannelVoltages two;
    ASSERT_TRUE(daq_.ReadChannels(two)) << daq_.g_nLastError;
    EXPECT_EQ(two.rawExt, 0);

    ExtensometerSettings extensometer;
    extensometer.enabled = true;
    daq_.ConfigureCard(settings, &extensometer);
    ChannelVoltages three;
    ASSERT_TRUE(daq_.ReadChannels(three)) << daq_.g_nLastError;
    EXPECT_NEAR(three.rawExt * kSimMmPerVolt, extension, kWithinNoise) << state;
    EXPECT_NEAR(three.rawVolt[0], two.rawVolt[0], kForceVoltsNoise);
    EXPECT_NEAR(three.rawVolt[1], two.rawVolt[1], kDisplacementVoltsNoise);
    EXPECT_GT(three.rawVolt[0], 10 * kForceVoltsNoise);  // the specimen is loaded
    const std::optional<double> single = daq_.ReadChannelVolts(settings, 2);
    ASSERT_TRUE(single);
    EXPECT_NEAR(*single * kSimMmPerVolt, extension, kWithinNoise);

    // Taken off, it reads 0 V.
    ASSERT_EQ(Control("extensometer off"), "ok");
    ASSERT_TRUE(daq_.ReadChannels(three));
    EXPECT_NEAR(three.rawExt, 0.0, 0.001);

    // Off again in the settings, the scan is the two channels: the same voltages as the
    // three-channel scan of the same rig.
    ASSERT_TRUE(daq_.ReadChannels(three));
    extensometer.enabled = false;
    daq_.ConfigureCard(settings, &extensometer);
    ChannelVoltages again;
    ASSERT_TRUE(daq_.ReadChannels(again));
    EXPECT_NEAR(again.rawVolt[0], three.rawVolt[0], kForceVoltsNoise);
    EXPECT_NEAR(again.rawVolt[1], three.rawVolt[1], kDisplacementVoltsNoise);
    EXPECT_FALSE(daq_.ExtensometerScanned());
}

}  // namespace
