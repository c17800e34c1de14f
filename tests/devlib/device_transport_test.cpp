// Request bytes, arm requests and device open.
#include <string>

#include "DQX7460.h"
#include "card_fixture.h"

using namespace devlib_test;

namespace {

std::string Describe(const DriverCall& call) {
    switch (call.kind) {
        case DriverCall::kOpen:
            return "open " + std::to_string(call.instance);
        case DriverCall::kOpenFailed:
            return "absent " + std::to_string(call.instance);
        case DriverCall::kClose:
            return "close " + std::to_string(call.instance);
        case DriverCall::kControl:
            break;
    }
    std::string at = " @" + std::to_string(call.instance);
    if (call.code == kIoctlVendorRequest) {
        return (call.in[4] == dqx7460::kRequestWriteArm ? "warm" : "rarm") + at;
    }
    if (call.code == kIoctlBulkRead) return "read " + std::to_string(call.outLen) + at;
    return "w" + std::to_string(dqx7460::ReadLe16(call.out.data())) + "=" +
           std::to_string(dqx7460::ReadLe16(call.out.data() + 2)) + at;
}

// The calls without the write-arm requests, which every register write carries.
std::vector<std::string> Sequence(const RecordingDriver& driver) {
    std::vector<std::string> sequence;
    for (const DriverCall& call : driver.calls) {
        std::string text = Describe(call);
        if (text.rfind("warm", 0) != 0) sequence.push_back(text);
    }
    return sequence;
}

const std::vector<std::uint8_t> kWriteArmSetup = {0, 2, 0, 0, 0xBA, 0, 0, 0, 0xEF, 0xBE};
const std::vector<std::uint8_t> kReadArmSetup = {0, 2, 0, 0, 0xBB, 0, 0, 0, 0xEF, 0xBE};

}  // namespace

// The bytes of a whole register write frame are shown over the socket (socket_driver_test).
TEST_F(CardTest, EveryTransferFollowsItsArmRequest) {
    driver.stream = [](std::uint64_t position) {
        return position == 0 ? kStartMarker : Sample(position % 2, 1000);
    };
    AdScanRequest request{};
    double results[2] = {};
    request.Config.ChannelList[1] = 1;
    request.Config.ChannelCount = 2;
    request.Results = results;
    WORD input = 0;
    ASSERT_EQ(DQX7460_MAIVoltageIn(handle, &request), 0);
    ASSERT_EQ(DQX7460_DioReadWord2(handle, &input), 0);
    DQX7460_DaDataSet(handle, 1, &input, 1);

    std::size_t reads = 0;
    for (std::size_t index = 0; index < driver.calls.size(); ++index) {
        const DriverCall& call = driver.calls[index];
        if (call.code == kIoctlVendorRequest) continue;
        ASSERT_GT(index, 0u);
        const DriverCall& before = driver.calls[index - 1];
        ASSERT_EQ(before.code, kIoctlVendorRequest) << "transfer " << index;
        if (call.code == kIoctlBulkRead) {
            ++reads;
            EXPECT_EQ(before.in, kReadArmSetup);
            EXPECT_EQ(call.in, (std::vector<std::uint8_t>{1, 0, 0, 0}));
        } else {
            EXPECT_EQ(before.in, kWriteArmSetup);
        }
    }
    EXPECT_EQ(reads, 2u);
}

TEST_F(CardTest, FailedWriteArmSuppressesTheWrite) {
    driver.failWhen = [](const DriverCall& call) { return call.code == kIoctlVendorRequest; };
    EXPECT_EQ(DQX7460_LEDTest(handle, 5), 1);
    EXPECT_EQ(DQX7460_Reset(handle), 1);
    EXPECT_EQ(driver.CountCalls(kIoctlBulkWrite), 0u);
}

TEST_F(CardTest, NullHandleSendsNothingAndFails) {
    WORD value = 0x1234;
    EXPECT_EQ(DQX7460_LEDTest(nullptr, 1), 1);
    EXPECT_EQ(DQX7460_Reset(nullptr), 1);
    EXPECT_EQ(DQX7460_DioReadWord2(nullptr, &value), 1);
    EXPECT_EQ(DQX7460_DeviceClose(nullptr), 0);
    EXPECT_EQ(value, 0x1234);
    EXPECT_TRUE(driver.calls.empty());
}

TEST_F(CardTest, OpenSearchesInstancesForTheReportedNumber) {
    driver.AddCard(0, 0);
    driver.AddCard(1, 1);
    HANDLE opened = nullptr;
    ASSERT_EQ(DQX7460_DeviceOpen(1, &opened), 0);
    EXPECT_EQ(opened, RecordingDriver::HandleOf(1));
    const std::vector<std::string> expected = {
        "open 0",  "w1=1 @0", "w1=0 @0",      "w6=4 @0", "rarm @0", "read 8192 @0",
        "w1=1 @0", "w1=0 @0", "close 0",      "open 1",  "w1=1 @1", "w1=0 @1",
        "w6=4 @1", "rarm @1", "read 8192 @1", "w6=0 @1"};
    EXPECT_EQ(Sequence(driver), expected);
}

TEST_F(CardTest, OpenWithoutMatchingCardGivesNullHandle) {
    RecordingDriver empty;
    dqx7460::SetDriver(&empty);
    HANDLE opened = reinterpret_cast<HANDLE>(0x55);
    EXPECT_EQ(DQX7460_DeviceOpen(1, &opened), 1);
    EXPECT_EQ(opened, nullptr);
    EXPECT_EQ(empty.calls.size(), 16u);
}

// A card whose number cannot be read does not count as card 0: a failed or short bulk read
// moves on to the next instance, a failed read arm ends the search.
TEST_F(CardTest, OpenPassesOverACardWhoseNumberCannotBeRead) {
    struct Case {
        std::function<bool(const DriverCall&)> failure;
        std::uint32_t readLimit;
        std::string last;
    };
    const Case cases[] = {{[](const DriverCall& call) { return call.code == kIoctlBulkRead; },
                           UINT32_MAX, "absent 15"},
                          {nullptr, dqx7460::kDeviceNumberOffset, "absent 15"},
                          {[](const DriverCall& call) {
                               return call.code == kIoctlVendorRequest &&
                                      call.in[4] == dqx7460::kRequestReadArm;
                           },
                           UINT32_MAX, "close 0"}};
    driver.AddCard(0, 5);
    for (const auto& [failure, readLimit, last] : cases) {
        driver.calls.clear();
        driver.failWhen = failure;
        driver.readLimit = readLimit;
        HANDLE opened = reinterpret_cast<HANDLE>(0x55);
        EXPECT_EQ(DQX7460_DeviceOpen(0, &opened), 1);
        EXPECT_EQ(opened, nullptr);
        EXPECT_EQ(Sequence(driver).back(), last);
    }
}

namespace {
std::vector<std::string> g_messages;
void RecordMessage(const char* text, const char* caption) {
    g_messages.push_back(std::string(caption) + "|" + text);
}
}  // namespace

TEST_F(CardTest, DeviceNumberAboveFifteenIsReportedThroughTheHook) {
    g_messages.clear();
    dqx7460_set_message_hook(RecordMessage);
    HANDLE opened = reinterpret_cast<HANDLE>(0x55);
    EXPECT_EQ(DQX7460_DeviceOpen(16, &opened), 1);
    dqx7460_set_message_hook(nullptr);
    EXPECT_EQ(opened, reinterpret_cast<HANDLE>(0x55));
    EXPECT_EQ(g_messages, std::vector<std::string>{"错误|设备号不正确，必须为0-15!"});
    EXPECT_TRUE(driver.calls.empty());
}

TEST_F(CardTest, FeatureQueryFillsItsSlotsWithoutTheCard) {
    FeatureBlock block;
    for (WORD& slot : block.Slot) slot = 0xAAAA;
    FeatureQuery query{&block, 940};
    EXPECT_EQ(DQX7460_DeviceGetFeatures(nullptr, &query), 0);
    const WORD expected[10] = {16, 32, 0xAAAA, 0xAAAA, 0xAAAA, 0xAAAA, 4, 1, 16, 2};
    for (int slot = 0; slot < 10; ++slot) EXPECT_EQ(block.Slot[slot], expected[slot]) << slot;
    EXPECT_EQ(query.Word, 942);
    EXPECT_TRUE(driver.calls.empty());
}
