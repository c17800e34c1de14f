// The card library talking to the dqx7460-sim program over its instance sockets.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "../common/scratch_folder.h"
#include "DQX7460.h"
#include "control_client.h"
#include "paths.h"
#include "two_channel_scan.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

bool Exists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

// Polls a predicate until it holds or the deadline passes.
template <typename Predicate>
bool WaitFor(Predicate predicate, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    auto deadline = Clock::now() + limit;
    while (!predicate()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::yield();
    }
    return true;
}

class SimProcess : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(scratch_.Made());
        dir_ = scratch_.Path();
        setenv("DQX7460_DRIVER_DIR", dir_.c_str(), 1);
    }
    void TearDown() override {
        if (handle_ != nullptr) DQX7460_DeviceClose(handle_);
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        unsetenv("DQX7460_DRIVER_DIR");
    }

    void Start(std::vector<std::string> args) {
        args.insert(args.begin(), {DQX7460_SIM_PATH, "--dir", dir_});
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        ASSERT_EQ(posix_spawn(&pid_, DQX7460_SIM_PATH, nullptr, nullptr, argv.data(), environ), 0);
        ASSERT_TRUE(WaitFor([this] { return Exists(sim::ControlSocketPath(dir_)); }));
        std::string error;
        ASSERT_TRUE(control_.Connect(dir_, &error)) << error;
    }

    std::string Control(const std::string& command) {
        std::string reply;
        EXPECT_TRUE(control_.Send(command, &reply)) << command;
        return reply;
    }

    // Waits for the simulator to end; its exit status, or -1 when it did not end in time.
    int Reap() {
        int status = 0;
        bool ended = WaitFor([this, &status] { return waitpid(pid_, &status, WNOHANG) == pid_; });
        if (!ended) return -1;
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    ScratchFolder scratch_{"dqx7460-simtest"};
    std::string dir_;
    pid_t pid_ = -1;
    sim::ControlClient control_;
    HANDLE handle_ = nullptr;
};

TEST_F(SimProcess, OpensTheCardByItsNumberAndCloses) {
    Start({"--card", "0:3", "--card", "1:1"});
    ASSERT_EQ(DQX7460_DeviceOpen(1, &handle_), 0);
    ASSERT_EQ(DQX7460_DioWriteWord2(handle_, 0x00FE), 0);
    EXPECT_EQ(Control("get-outputs"), "ok 00ff") << "the rig's card is the first, number 3";
    EXPECT_EQ(DQX7460_DeviceClose(handle_), 0);
    handle_ = nullptr;
    ASSERT_EQ(DQX7460_DeviceOpen(3, &handle_), 0);
    HANDLE missing = nullptr;
    EXPECT_EQ(DQX7460_DeviceOpen(7, &missing), 1);
    EXPECT_EQ(missing, nullptr);
}

TEST_F(SimProcess, VoltagesInputsAndOutputsCrossTheSocket) {
    Start({"--no-rig"});
    ASSERT_EQ(DQX7460_DeviceOpen(1, &handle_), 0);
    ASSERT_EQ(Control("set-voltage 0 2.345"), "ok");
    ASSERT_EQ(Control("set-voltage 1 -1.5"), "ok");
    double volts[2] = {};
    AdScanRequest request = TwoChannelRequest(1, 1, volts);
    ASSERT_EQ(DQX7460_MAIVoltageIn(handle_, &request), 0);
    EXPECT_NEAR(volts[0], 2.345, 10.0 / 65536);
    EXPECT_NEAR(volts[1], -1.5, 10.0 / 65536);

    ASSERT_EQ(Control("set-inputs ffea"), "ok");
    WORD inputs = 0;
    ASSERT_EQ(DQX7460_DioReadWord2(handle_, &inputs), 0);
    EXPECT_EQ(inputs, 0xFFEA);

    ASSERT_EQ(DQX7460_DioWriteWord2(handle_, 0x00EB), 0);
    EXPECT_EQ(Control("get-outputs"), "ok 00eb");
}

TEST_F(SimProcess, RigButtonsReachTheInputsAndSendReportsTheReply) {
    Start({});
    std::string send = std::string(DQX7460_SIM_PATH) + " --dir " + dir_ + " --send ";
    EXPECT_EQ(std::system((send + "'press start 5000' >/dev/null").c_str()), 0);
    ASSERT_EQ(DQX7460_DeviceOpen(1, &handle_), 0);
    WORD inputs = 0;
    ASSERT_EQ(DQX7460_DioReadWord2(handle_, &inputs), 0);
    EXPECT_EQ(inputs, 0xFFEF);
    EXPECT_NE(std::system((send + "'press elbow' >/dev/null").c_str()), 0);
}

// SIGTERM and the quit command both end the simulator cleanly and remove its sockets; a
// handle the library still holds then fails.
TEST_F(SimProcess, EndingRemovesTheSockets) {
    for (bool byCommand : {false, true}) {
        Start({});
        ASSERT_EQ(DQX7460_DeviceOpen(1, &handle_), 0);
        ASSERT_TRUE(Exists(dqx7460::InstancePathIn(dir_, 0)));
        if (byCommand) {
            EXPECT_EQ(Control("quit"), "ok");
        } else {
            ASSERT_EQ(kill(pid_, SIGTERM), 0);
        }
        EXPECT_EQ(Reap(), 0) << byCommand;
        EXPECT_FALSE(Exists(dqx7460::InstancePathIn(dir_, 0)));
        EXPECT_FALSE(Exists(sim::ControlSocketPath(dir_)));
        EXPECT_EQ(DQX7460_DioWriteWord2(handle_, 0x00FF), 1);
        DQX7460_DeviceClose(handle_);
        handle_ = nullptr;
    }
}

TEST_F(SimProcess, KilledSimulatorMakesCallsFailNotHang) {
    Start({});
    ASSERT_EQ(DQX7460_DeviceOpen(1, &handle_), 0);
    ASSERT_EQ(kill(pid_, SIGKILL), 0);
    ASSERT_EQ(Reap(), 128 + SIGKILL);
    auto begin = Clock::now();
    EXPECT_EQ(DQX7460_DioWriteWord2(handle_, 0x00FF), 1);
    WORD inputs = 0;
    EXPECT_EQ(DQX7460_DioReadWord2(handle_, &inputs), 1);
    double volts[2] = {};
    AdScanRequest request = TwoChannelRequest(1, 1, volts);
    DQX7460_MAIVoltageIn(handle_, &request);
    EXPECT_LT(Clock::now() - begin, std::chrono::seconds(5));
}

}  // namespace
