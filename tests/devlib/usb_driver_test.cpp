// The USB driver against a fake libusb whose devices are simulated cards: the transfers the
// library's operations become, the pipes, the order of instances, the devices it must leave
// alone, and what a failed transfer does to the handle.
#include "usb_driver.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "DQX7460.h"
#include "card.h"
#include "deadline.h"
#include "fake_libusb.h"

namespace {

using fake_usb::Call;
using fake_usb::Fault;

constexpr std::uint16_t kVendor = 0x1234;
constexpr std::uint16_t kProduct = 0x7460;
constexpr const char* kIds = "1234:7460";
constexpr std::uint8_t kOut = 0x02;
constexpr std::uint8_t kIn = 0x86;
const std::vector<fake_usb::Endpoint> kCardEndpoints = {{kOut, LIBUSB_TRANSFER_TYPE_BULK},
                                                        {kIn, LIBUSB_TRANSFER_TYPE_BULK}};
// The transfers of opening card 1: reset pulse, source 4, the read-arm request and the
// 8192-byte read, then source 0.
constexpr int kOpenTransfers = 10;

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    char digits[3];
    for (std::uint8_t byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", byte);
        text += digits;
    }
    return text;
}

// A transfer as one line: "control 40 ba 0000 beef <data>", "out 02 <data>", "in 86 <count>".
std::string Describe(const Call& call) {
    char head[48];
    if (call.kind == Call::kControl) {
        std::snprintf(head, sizeof head, "control %02x %02x %04x %04x ", call.requestType,
                      call.request, call.value, call.index);
        return head + Hex(call.data);
    }
    const bool in = (call.endpoint & LIBUSB_ENDPOINT_IN) != 0;
    std::snprintf(head, sizeof head, "%s %02x ", in ? "in" : "out", call.endpoint);
    return head + (in ? std::to_string(call.data.size()) : Hex(call.data));
}

std::vector<Call> Transfers(int device = -1) {
    std::vector<Call> transfers;
    for (const Call& call : fake_usb::Calls()) {
        if ((call.kind == Call::kControl || call.kind == Call::kBulk) &&
            (device < 0 || call.device == device)) {
            transfers.push_back(call);
        }
    }
    return transfers;
}

std::vector<std::string> Described(const std::vector<Call>& calls) {
    std::vector<std::string> lines;
    for (const Call& call : calls) lines.push_back(Describe(call));
    return lines;
}

std::vector<int> Opened() {
    std::vector<int> devices;
    for (const Call& call : fake_usb::Calls()) {
        if (call.kind == Call::kOpen) devices.push_back(call.device);
    }
    return devices;
}

const std::string kArmWrite = "control 40 ba 0000 beef " + std::string(32, '0');
const std::string kArmRead = "control 40 bb 0000 beef " + std::string(32, '0');

// Collects what the library writes to stderr while it lives.
class StderrCapture {
  public:
    StderrCapture() : file_(std::tmpfile()), saved_(dup(2)) {
        std::fflush(stderr);
        dup2(fileno(file_), 2);
    }
    ~StderrCapture() {
        Restore();
        std::fclose(file_);
    }
    std::string Text() {
        Restore();
        std::rewind(file_);
        std::string text;
        for (int c = std::fgetc(file_); c != EOF; c = std::fgetc(file_)) text += char(c);
        return text;
    }

  private:
    void Restore() {
        if (saved_ < 0) return;
        std::fflush(stderr);
        dup2(saved_, 2);
        close(saved_);
        saved_ = -1;
    }
    std::FILE* file_;
    int saved_;
};

class UsbDriverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fake_usb::Reset();
        setenv("DQX7460_DRIVER", "usb", 1);
        setenv("DQX7460_USB_IDS", kIds, 1);
        unsetenv("DQX7460_USB_TIMEOUT_MS");
        dqx7460::SetUsbIdsFile("/nonexistent/dqx7460-usb-ids");
    }
    void TearDown() override {
        DQX7460_DeviceClose(handle);
        unsetenv("DQX7460_DRIVER");
        unsetenv("DQX7460_USB_IDS");
        unsetenv("DQX7460_USB_TIMEOUT_MS");
        dqx7460::SetUsbIdsFile(dqx7460::kUsbIdsFile);
        EXPECT_EQ(fake_usb::Outstanding(), 0) << "device lists, descriptors or handles kept";
    }

    int PlugCard(sim::Card& card, std::uint8_t bus, std::vector<std::uint8_t> ports,
                 std::vector<fake_usb::Endpoint> endpoints = kCardEndpoints) {
        fake_usb::Device device;
        device.bus = bus;
        device.ports = std::move(ports);
        device.vendor = kVendor;
        device.product = kProduct;
        device.endpoints = std::move(endpoints);
        device.card = &card;
        return fake_usb::Plug(device);
    }

    HANDLE handle = nullptr;
};

TEST_F(UsbDriverTest, RegisterWriteAndReadBackAreTheseTransfers) {
    sim::Card card(1);
    const int device = PlugCard(card, 1, {2});
    EXPECT_TRUE(fake_usb::KernelDriverBound(device));

    ASSERT_EQ(DQX7460_DeviceOpen(1, &handle), 0);
    ASSERT_NE(handle, nullptr);
    EXPECT_FALSE(fake_usb::KernelDriverBound(device));
    const std::vector<std::string> open = {
        kArmWrite,         "out 02 01000100", kArmWrite,    "out 02 01000000", kArmWrite,
        "out 02 06000400", kArmRead,          "in 86 8192", kArmWrite,         "out 02 06000000"};
    EXPECT_EQ(Described(Transfers()), open);
    const std::vector<std::uint8_t> block = Transfers()[7].data;
    ASSERT_EQ(block.size(), 8192u);
    EXPECT_EQ(block[8000], 1);
    EXPECT_EQ(block[8001], 0);

    ASSERT_EQ(DQX7460_LEDTest(handle, 0x1234), 0);
    const std::vector<Call> transfers = Transfers();
    ASSERT_EQ(transfers.size(), open.size() + 2);
    EXPECT_EQ(Describe(transfers[10]), kArmWrite);
    EXPECT_EQ(Describe(transfers[11]), "out 02 00003412");
    EXPECT_EQ(card.Register(0), 0x1234);
    // Finite, and within what is left of the operation's 2 s budget.
    for (const Call& call : transfers) {
        EXPECT_GT(call.timeout, 0u);
        EXPECT_LE(call.timeout, 2000u);
        EXPECT_EQ(call.result, 0);
    }

    EXPECT_EQ(DQX7460_DeviceClose(handle), 0);
    handle = nullptr;
    const std::vector<Call> calls = fake_usb::Calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[calls.size() - 2].kind, Call::kRelease);
    EXPECT_EQ(calls.back().kind, Call::kClose);
    EXPECT_TRUE(fake_usb::KernelDriverBound(device));
}

TEST_F(UsbDriverTest, PipesAreTheInterfaceEndpointsInDescriptorOrder) {
    constexpr auto kBulk = LIBUSB_TRANSFER_TYPE_BULK;
    constexpr auto kInterrupt = LIBUSB_TRANSFER_TYPE_INTERRUPT;
    struct Case {
        const char* name;
        std::vector<fake_usb::Endpoint> endpoints;
        bool opens;
        std::uint8_t out;
        std::uint8_t in;
    };
    const Case cases[] = {
        {"bulk OUT then bulk IN", {{0x02, kBulk}, {0x86, kBulk}}, true, 0x02, 0x86},
        {"other addresses, more endpoints",
         {{0x01, kBulk}, {0x81, kBulk}, {0x83, kInterrupt}, {0x04, kBulk}},
         true,
         0x01,
         0x81},
        {"IN before OUT", {{0x86, kBulk}, {0x02, kBulk}}, false, 0, 0},
        {"interrupt OUT first", {{0x02, kInterrupt}, {0x86, kBulk}}, false, 0, 0},
        {"two OUT endpoints", {{0x02, kBulk}, {0x04, kBulk}}, false, 0, 0},
        {"one endpoint", {{0x02, kBulk}}, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fake_usb::Reset();
        sim::Card card(1);
        PlugCard(card, 1, {1}, c.endpoints);
        const LONG result = DQX7460_DeviceOpen(1, &handle);
        if (!c.opens) {
            EXPECT_EQ(result, 1);
            EXPECT_EQ(handle, nullptr);
            EXPECT_TRUE(fake_usb::Calls().empty()) << "a device that is not the card was opened";
            continue;
        }
        ASSERT_EQ(result, 0);
        for (const Call& call : Transfers()) {
            if (call.kind == Call::kBulk) {
                EXPECT_EQ(call.endpoint, (call.endpoint & LIBUSB_ENDPOINT_IN) ? c.in : c.out);
            }
        }
        EXPECT_EQ(DQX7460_DeviceClose(handle), 0);
        handle = nullptr;
    }
}

TEST_F(UsbDriverTest, InstancesFollowBusThenPortPath) {
    // Plugged in scrambled order; each card's number is its place in instance order.
    sim::Card first(1), second(2), third(3), fourth(4), fifth(5);
    const int onBus2 = PlugCard(fifth, 2, {1});
    const int port10 = PlugCard(fourth, 1, {10});
    const int port3Hub1 = PlugCard(third, 1, {3, 1});
    const int port3 = PlugCard(second, 1, {3});
    const int port2Hub4 = PlugCard(first, 1, {2, 4});

    ASSERT_EQ(DQX7460_DeviceOpen(5, &handle), 0);
    EXPECT_EQ(Opened(), (std::vector<int>{port2Hub4, port3, port3Hub1, port10, onBus2}));
    ASSERT_EQ(DQX7460_LEDTest(handle, 0x55), 0);
    EXPECT_EQ(fifth.Register(0), 0x55);
    for (sim::Card* other : {&first, &second, &third, &fourth}) EXPECT_EQ(other->Register(0), 0);
}

TEST_F(UsbDriverTest, DevicesOutsideTheListAreNeverTouched) {
    // Cards answering to the asked number, but under ids that are not configured; they sit
    // before the listed card in instance order.
    sim::Card sameVendor(1), otherVendor(1), listed(1);
    fake_usb::Device device;
    device.bus = 1;
    device.ports = {1};
    device.vendor = kVendor;
    device.product = 0x7461;
    device.endpoints = kCardEndpoints;
    device.card = &sameVendor;
    const int sameVendorDevice = fake_usb::Plug(device);
    device.ports = {2};
    device.vendor = 0x04b4;
    device.product = kProduct;
    device.card = &otherVendor;
    const int otherVendorDevice = fake_usb::Plug(device);
    const int listedDevice = PlugCard(listed, 1, {3});

    ASSERT_EQ(DQX7460_DeviceOpen(1, &handle), 0);
    EXPECT_EQ(Opened(), std::vector<int>{listedDevice});
    for (const Call& call : fake_usb::Calls()) {
        EXPECT_NE(call.device, sameVendorDevice);
        EXPECT_NE(call.device, otherVendorDevice);
    }
    const sim::Card untouched(1);
    for (int reg = 0; reg < sim::kRegisterCount; ++reg) {
        EXPECT_EQ(sameVendor.Register(reg), untouched.Register(reg)) << reg;
        EXPECT_EQ(otherVendor.Register(reg), untouched.Register(reg)) << reg;
    }
}

TEST_F(UsbDriverTest, WithoutIdsNothingIsOpenedAndTheReasonIsSaidOnce) {
    sim::Card card(1);
    PlugCard(card, 1, {1});
    struct Case {
        const char* name;
        const char* ids;  // nullptr: not set
        const char* said;
    };
    const Case cases[] = {
        {"no ids anywhere", nullptr, "no card for the USB driver to look for"},
        {"malformed entry", "1234:7460,1234-7461", "\"1234-7461\" is not a USB vendor:product id"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.ids != nullptr) {
            setenv("DQX7460_USB_IDS", c.ids, 1);
        } else {
            unsetenv("DQX7460_USB_IDS");
        }
        StderrCapture capture;
        EXPECT_EQ(DQX7460_DeviceOpen(1, &handle), 1);
        EXPECT_EQ(DQX7460_DeviceOpen(1, &handle), 1);
        EXPECT_EQ(handle, nullptr);
        const std::string said = capture.Text();
        const std::size_t at = said.find(c.said);
        EXPECT_NE(at, std::string::npos) << said;
        EXPECT_EQ(said.find(c.said, at + 1), std::string::npos) << "said more than once: " << said;
        EXPECT_TRUE(fake_usb::Calls().empty());
    }
}

TEST_F(UsbDriverTest, IdsComeFromTheFileWhenTheEnvironmentHasNone) {
    char path[] = "/tmp/dqx7460-usb-ids-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    std::ofstream(path) << "# the rig's card\n04b4:8613\n1234:7460  # second\n";
    dqx7460::SetUsbIdsFile(path);
    unsetenv("DQX7460_USB_IDS");
    EXPECT_EQ(dqx7460::ConfiguredUsbIds(),
              (std::vector<dqx7460::UsbId>{{0x04b4, 0x8613}, {kVendor, kProduct}}));
    setenv("DQX7460_USB_IDS", "abcd:ef01", 1);
    EXPECT_EQ(dqx7460::ConfiguredUsbIds(), (std::vector<dqx7460::UsbId>{{0xabcd, 0xef01}}));
    std::remove(path);
}

// A transfer that goes wrong while the card is being opened: the open gives up on that
// device, sends nothing more to it and closes it.
TEST_F(UsbDriverTest, AFailedTransferDuringTheOpenLeavesTheDeviceAlone) {
    struct Case {
        const char* name;
        Fault fault;
        int transfer;  // of the open's ten
        bool unplugged;
    };
    const Case cases[] = {
        {"read times out", Fault::kTimeout, 7, false},
        {"read comes up short", Fault::kShort, 7, false},
        {"read overflows", Fault::kOverflow, 7, false},
        {"read-arm request stalls", Fault::kStall, 6, false},
        {"register write times out", Fault::kTimeout, 5, false},
        {"unplugged during the reset pulse", Fault::kUnplug, 3, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fake_usb::Reset();
        sim::Card card(1);
        const int device = PlugCard(card, 1, {1});
        fake_usb::InjectFault(device, c.transfer, c.fault);
        EXPECT_EQ(DQX7460_DeviceOpen(1, &handle), 1);
        EXPECT_EQ(handle, nullptr);
        EXPECT_EQ(Transfers().size(), static_cast<std::size_t>(c.transfer + 1));
        ASSERT_FALSE(fake_usb::Calls().empty());
        EXPECT_EQ(fake_usb::Calls().back().kind, Call::kClose);
        EXPECT_EQ(fake_usb::KernelDriverBound(device), !c.unplugged);
    }
}

TEST_F(UsbDriverTest, AfterAFailedTransferTheHandleIsGoodOnlyForClosing) {
    sim::Card card(1);
    const int device = PlugCard(card, 1, {1});
    ASSERT_EQ(DQX7460_DeviceOpen(1, &handle), 0);
    fake_usb::InjectFault(device, 1, Fault::kStall);
    EXPECT_EQ(DQX7460_LEDTest(handle, 7), 1);
    EXPECT_EQ(DQX7460_LEDTest(handle, 8), 1);
    WORD inputs = 0;
    EXPECT_EQ(DQX7460_DioReadWord2(handle, &inputs), 1);
    EXPECT_EQ(Transfers().size(), static_cast<std::size_t>(kOpenTransfers + 2));
    EXPECT_EQ(card.Register(0), 0);
}

TEST_F(UsbDriverTest, UnplugInTheMiddleOfAScanFailsItAndEveryCallAfter) {
    sim::Card card(1);
    const int device = PlugCard(card, 1, {1});
    ASSERT_EQ(DQX7460_DeviceOpen(1, &handle), 0);
    // The scan's configuration is some forty register writes: pull the cable in the middle.
    fake_usb::InjectFault(device, 41, Fault::kUnplug);
    double volts[2] = {};
    AdScanRequest request{};
    request.Config.ChannelList[1] = 1;
    request.Config.ChannelCount = 2;
    request.Results = volts;
    EXPECT_EQ(DQX7460_MAIVoltageIn(handle, &request), 1);
    EXPECT_EQ(Transfers().size(), static_cast<std::size_t>(kOpenTransfers + 42));
    EXPECT_EQ(Transfers().back().result, LIBUSB_ERROR_NO_DEVICE);
    EXPECT_EQ(DQX7460_DioWriteWord2(handle, 0x00FF), 1);
    EXPECT_EQ(Transfers().size(), static_cast<std::size_t>(kOpenTransfers + 42));

    EXPECT_EQ(DQX7460_DeviceClose(handle), 0);
    handle = nullptr;
    EXPECT_EQ(fake_usb::Calls().back().kind, Call::kClose);
    EXPECT_EQ(DQX7460_DeviceOpen(1, &handle), 1);
    EXPECT_EQ(handle, nullptr);
}

TEST_F(UsbDriverTest, EveryTransferHasTheConfiguredFiniteTimeout) {
    struct Case {
        const char* setting;  // nullptr: not set
        unsigned timeout;
    };
    const Case cases[] = {
        {nullptr, 3000}, {"250", 250},  {"600000", 600000}, {"0", 3000},
        {"-5", 3000},    {"12x", 3000}, {"600001", 3000},   {"", 3000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setting != nullptr ? c.setting : "not set");
        fake_usb::Reset();
        if (c.setting != nullptr) {
            setenv("DQX7460_USB_TIMEOUT_MS", c.setting, 1);
        } else {
            unsetenv("DQX7460_USB_TIMEOUT_MS");
        }
        sim::Card card(1);
        PlugCard(card, 1, {1});
        ASSERT_EQ(DQX7460_DeviceOpen(1, &handle), 0);
        ASSERT_EQ(DQX7460_LEDTest(handle, 1), 0);
        // Never past the operation's budget, whatever the setting says.
        const unsigned bound = std::min<unsigned>(
            c.timeout, static_cast<unsigned>(dqx7460::kDefaultOperationBudget.count()));
        for (const Call& call : Transfers()) {
            EXPECT_LE(call.timeout, bound);
            EXPECT_GT(call.timeout, bound * 9 / 10);
        }
        DQX7460_DeviceClose(handle);
        handle = nullptr;
    }
}

// A transfer waits for the configured time, or what is left of its call's deadline when
// that is sooner: a hung card holds an operation for its budget, not for ten minutes.
TEST(UsbTransferTimeout, IsTheSettingCutToTheDeadlineAndNeverZero) {
    using std::chrono::microseconds;
    using std::chrono::milliseconds;
    const struct {
        milliseconds configured;
        std::chrono::steady_clock::duration left;
        unsigned timeout;
    } cases[] = {{milliseconds(600000), milliseconds(2000), 2000},
                 {milliseconds(250), milliseconds(2000), 250},
                 {milliseconds(3000), microseconds(1500), 2},
                 {milliseconds(3000), microseconds(1), 1},
                 {milliseconds(3000), milliseconds(0), 1},
                 {milliseconds(3000), milliseconds(-50), 1},
                 {milliseconds(1), milliseconds(5000), 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(dqx7460::TransferTimeoutMs(c.configured, c.left), c.timeout)
            << c.configured.count() << " ms";
    }
}

TEST_F(UsbDriverTest, TransfersStayWithinAShortOperationBudget) {
    setenv("DQX7460_USB_TIMEOUT_MS", "600000", 1);
    sim::Card card(1);
    PlugCard(card, 1, {1});
    ASSERT_EQ(DQX7460_DeviceOpen(1, &handle), 0);
    const std::size_t before = Transfers().size();
    dqx7460::SetOperationBudget(std::chrono::milliseconds(300));
    EXPECT_EQ(DQX7460_LEDTest(handle, 1), 0);
    dqx7460::SetOperationBudget(dqx7460::kDefaultOperationBudget);
    const std::vector<Call> transfers = Transfers();
    ASSERT_GT(transfers.size(), before);
    for (std::size_t i = before; i < transfers.size(); ++i) EXPECT_LE(transfers[i].timeout, 300u);
    unsetenv("DQX7460_USB_TIMEOUT_MS");
}

TEST(UsbIds, ParsedFromTheListFormat) {
    using dqx7460::UsbId;
    struct Case {
        const char* text;
        bool valid;
        std::vector<UsbId> ids;
    };
    const Case cases[] = {
        {"1234:7460", true, {{0x1234, 0x7460}}},
        {"04B4:8613,abcd:EF01", true, {{0x04b4, 0x8613}, {0xabcd, 0xef01}}},
        {" 04b4:8613 ,\n\t1234:7460 # the rig\n# 1111:2222\n",
         true,
         {{0x04b4, 0x8613}, {0x1234, 0x7460}}},
        {"", true, {}},
        {"4b4:8613", false, {}},
        {"04b4:86130", false, {}},
        {"04b4-8613", false, {}},
        {"g4b4:8613", false, {}},
        {"04b4:8613:1", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<UsbId> ids = {{1, 1}};
        std::string bad;
        EXPECT_EQ(dqx7460::ParseUsbIds(c.text, &ids, &bad), c.valid);
        if (c.valid) {
            EXPECT_EQ(ids, c.ids);
        } else {
            EXPECT_FALSE(bad.empty());
        }
    }
}

// The udev rule's test for a device, with udev's substitutions made and the ids file
// replaced: true when the rule grants access.
bool RuleGrants(const std::string& program, const std::string& idsFile, const char* vendor,
                const char* product) {
    std::string command = std::regex_replace(program, std::regex(R"(\$attr\{idVendor\})"), vendor);
    command = std::regex_replace(command, std::regex(R"(\$attr\{idProduct\})"), product);
    command = std::regex_replace(command, std::regex(R"(\$\$)"), "$");
    std::vector<std::string> words;
    std::istringstream split(command);
    for (std::string word; split >> word;) {
        words.push_back(word == dqx7460::kUsbIdsFile ? idsFile : word);
    }
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(UsbIds, TheUdevRuleGrantsAccessToExactlyTheListedDevices) {
    std::ifstream rules(DQX7460_UDEV_RULES);
    std::string program;
    for (std::string line; std::getline(rules, line);) {
        std::smatch match;
        if (std::regex_search(line, match, std::regex(R"(PROGRAM=\"([^\"]*)\")"))) {
            program = match[1];
        }
    }
    ASSERT_FALSE(program.empty());
    char path[] = "/tmp/dqx7460-rule-ids-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    const char* files[] = {
        "1234:7460\n",
        "04b4:8613, 1234:7460 # the rig\n",
        "04B4:8613,ABCD:EF01",
        "# 1234:7460\n04b4:8613 # abcd:ef01\n",
        "11234:7460\n",
        "1234:74601\n",
        "",
    };
    const std::pair<const char*, const char*> devices[] = {
        {"1234", "7460"}, {"04b4", "8613"}, {"abcd", "ef01"}, {"0000", "7460"}};
    for (const char* content : files) {
        std::ofstream(path) << content;
        std::vector<dqx7460::UsbId> ids;
        const bool valid = dqx7460::ParseUsbIds(content, &ids, nullptr);
        for (const auto& [vendor, product] : devices) {
            SCOPED_TRACE(std::string(content) + " / " + vendor + ":" + product);
            const dqx7460::UsbId id{static_cast<std::uint16_t>(std::stoul(vendor, nullptr, 16)),
                                    static_cast<std::uint16_t>(std::stoul(product, nullptr, 16))};
            const bool listed = valid && std::find(ids.begin(), ids.end(), id) != ids.end();
            EXPECT_EQ(RuleGrants(program, path, vendor, product), listed);
        }
    }
    std::remove(path);
}

}  // namespace
