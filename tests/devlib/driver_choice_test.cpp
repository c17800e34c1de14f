// Which driver the library uses when no test installs one, against the real libusb-1.0 and
// simulated cards served as instance sockets.
#include "driver_choice.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "../common/scratch_folder.h"
#include "DQX7460.h"
#include "card.h"
#include "server.h"

namespace {

using dqx7460::DriverKind;

// An identifier no vendor holds, so that no real device can ever match it.
constexpr const char* kUnassignedId = "ffff:fffe";

class DriverChoiceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(scratch_.Made());
        folder_ = scratch_.Path();
        setenv("DQX7460_DRIVER_DIR", folder_.c_str(), 1);
        setenv("DQX7460_USB_IDS", kUnassignedId, 1);
    }
    void TearDown() override {
        DQX7460_DeviceClose(handle_);
        unsetenv("DQX7460_DRIVER");
        unsetenv("DQX7460_DRIVER_DIR");
        unsetenv("DQX7460_USB_IDS");
    }

    void BindSocket(const std::string& name) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = folder_ + "/" + name;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        close(fd);
    }

    ScratchFolder scratch_{"devlib-choice"};
    std::string folder_;
    HANDLE handle_ = nullptr;
};

TEST_F(DriverChoiceTest, TheSettingWinsElseAnInstanceSocketInTheFolder) {
    enum Folder { kMissing, kEmpty, kPlainFile, kOtherSocket, kInstanceSocket };
    struct Case {
        const char* setting;  // nullptr: not set
        Folder folder;
        DriverKind kind;
    };
    const Case cases[] = {
        {nullptr, kMissing, DriverKind::kUsb},
        {nullptr, kEmpty, DriverKind::kUsb},
        {nullptr, kPlainFile, DriverKind::kUsb},
        {nullptr, kOtherSocket, DriverKind::kUsb},
        {nullptr, kInstanceSocket, DriverKind::kSocket},
        {"", kInstanceSocket, DriverKind::kSocket},
        {"usb", kInstanceSocket, DriverKind::kUsb},
        {"socket", kEmpty, DriverKind::kSocket},
        {"USB", kEmpty, DriverKind::kNone},
        {"ezusb", kInstanceSocket, DriverKind::kNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.setting != nullptr ? c.setting : "unset") + " / " +
                     std::to_string(c.folder));
        std::filesystem::remove_all(folder_);
        if (c.folder != kMissing) std::filesystem::create_directory(folder_);
        if (c.folder == kPlainFile) std::ofstream(folder_ + "/EZUSB-0") << "x";
        if (c.folder == kOtherSocket) BindSocket("dqx7460-sim.ctl");
        if (c.folder == kInstanceSocket) BindSocket("EZUSB-B");
        if (c.setting != nullptr) {
            setenv("DQX7460_DRIVER", c.setting, 1);
        } else {
            unsetenv("DQX7460_DRIVER");
        }
        EXPECT_EQ(dqx7460::ChooseDriverKind(), c.kind);
    }
}

TEST_F(DriverChoiceTest, WithoutADeviceTheRealLibusbOpensNothingAtOnce) {
    const auto start = std::chrono::steady_clock::now();
    handle_ = reinterpret_cast<HANDLE>(1);
    EXPECT_EQ(DQX7460_DeviceOpen(1, &handle_), 1);
    EXPECT_EQ(handle_, nullptr);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

// The choice is made at every open: a simulator started after a failed open is found by
// the next one, and its handle keeps working with the socket driver.
TEST_F(DriverChoiceTest, EachOpenChoosesAfresh) {
    EXPECT_EQ(DQX7460_DeviceOpen(1, &handle_), 1);

    sim::Card card(1);
    sim::Server server(
        folder_, [](const std::string&, bool*) { return std::string("ok"); }, [] {});
    server.AddInstance(0, card);
    std::string error;
    ASSERT_TRUE(server.Start(&error)) << error;

    setenv("DQX7460_DRIVER", "usb", 1);
    EXPECT_EQ(DQX7460_DeviceOpen(1, &handle_), 1);
    unsetenv("DQX7460_DRIVER");
    ASSERT_EQ(DQX7460_DeviceOpen(1, &handle_), 0);
    // Set later, the setting does not take the open handle from the driver that opened it.
    setenv("DQX7460_DRIVER", "usb", 1);
    EXPECT_EQ(DQX7460_LEDTest(handle_, 0x2A), 0);
    EXPECT_EQ(card.Register(0), 0x2A);
    EXPECT_EQ(DQX7460_DeviceClose(handle_), 0);
    handle_ = nullptr;
    server.Stop();
}

}  // namespace
