// The instance-socket driver against a small in-test peer.
#include "socket_driver.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysinfo.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "../common/scratch_folder.h"
#include "DQX7460.h"
#include "card_protocol.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

using dqx7460::kIoctlBulkRead;
using dqx7460::ReadLe32;

// Serves driver instance 0 in a folder: one connection at a time, each request answered
// according to the behaviour; the raw request frames are kept.
class InstancePeer {
  public:
    enum class Behaviour {
        kAnswer,
        kRefuse,
        kCloseOnRequest,
        kSilent,
        kOverlongReply,
        kShortBlock,  // a bulk read gets half the bytes asked for, reported as such
        kSlow,        // each reply waits `pace`
        kPaced,       // each reply goes out one byte per `pace`
    };

    InstancePeer(const std::string& folder, Behaviour behaviour, std::uint16_t deviceNumber = 1,
                 milliseconds pace = milliseconds(0))
        : behaviour_(behaviour), deviceNumber_(deviceNumber), pace_(pace) {
        listener_ = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::string path = folder + "/EZUSB-0";
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        unlink(path.c_str());
        EXPECT_EQ(bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(listen(listener_, 4), 0);
        thread_ = std::thread([this] { Serve(); });
    }

    ~InstancePeer() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        stopped_.notify_all();
        thread_.join();
        close(listener_);
    }

    std::vector<std::vector<std::uint8_t>> Frames() {
        std::lock_guard<std::mutex> lock(mutex_);
        return frames_;
    }

    // Exchanges with the client: runs of requests that were all waiting when the first of
    // them was answered. A client that waits for each reply makes one per request.
    int Exchanges() {
        std::lock_guard<std::mutex> lock(mutex_);
        return exchanges_;
    }

  private:
    // Holds the reply back for the pace, or until the peer is stopped (false).
    bool Pause() {
        std::unique_lock<std::mutex> lock(mutex_);
        return !stopped_.wait_for(lock, pace_, [this] { return stop_.load(); });
    }

    bool SendReply(int connection, const std::vector<std::uint8_t>& reply) {
        if (behaviour_ == Behaviour::kSlow && !Pause()) return false;
        if (behaviour_ != Behaviour::kPaced) {
            return send(connection, reply.data(), reply.size(), MSG_NOSIGNAL) ==
                   static_cast<ssize_t>(reply.size());
        }
        for (std::uint8_t byte : reply) {
            if (!Pause() || send(connection, &byte, 1, MSG_NOSIGNAL) != 1) return false;
        }
        return true;
    }

    bool WaitReadable(int fd) {
        pollfd entry{fd, POLLIN, 0};
        while (!stop_) {
            if (poll(&entry, 1, 20) > 0) return true;
        }
        return false;
    }

    bool ReadExactly(int fd, std::uint8_t* into, std::size_t length) {
        while (length > 0) {
            if (!WaitReadable(fd)) return false;
            ssize_t got = recv(fd, into, length, 0);
            if (got <= 0) return false;
            into += got;
            length -= static_cast<std::size_t>(got);
        }
        return true;
    }

    void Serve() {
        while (WaitReadable(listener_)) {
            int connection = accept(listener_, nullptr, nullptr);
            if (connection < 0) continue;
            ServeConnection(connection);
            close(connection);
        }
    }

    void ServeConnection(int connection) {
        for (;;) {
            std::vector<std::uint8_t> frame(12);
            if (!ReadExactly(connection, frame.data(), 12)) return;
            const std::uint32_t code = ReadLe32(&frame[0]);
            const std::uint32_t inLen = ReadLe32(&frame[4]);
            const std::uint32_t outLen = ReadLe32(&frame[8]);
            const std::size_t body = inLen + (code == kIoctlBulkRead ? 0 : outLen);
            frame.resize(12 + body);
            if (!ReadExactly(connection, frame.data() + 12, body)) return;
            {
                std::uint8_t next;
                const bool waiting = recv(connection, &next, 1, MSG_PEEK | MSG_DONTWAIT) > 0;
                std::lock_guard<std::mutex> lock(mutex_);
                frames_.push_back(frame);
                if (!waiting) ++exchanges_;
            }
            if (behaviour_ == Behaviour::kCloseOnRequest) return;
            if (behaviour_ == Behaviour::kSilent) {
                std::uint8_t ignored;
                ReadExactly(connection, &ignored, 1);
                return;
            }
            const bool ok = behaviour_ != Behaviour::kRefuse;
            std::uint32_t returned = 0;
            if (code == kIoctlBulkRead && ok) {
                returned = behaviour_ == Behaviour::kOverlongReply ? outLen + 4
                           : behaviour_ == Behaviour::kShortBlock  ? outLen / 2
                                                                   : outLen;
            }
            std::vector<std::uint8_t> reply(8 + returned, 0);
            dqx7460::WriteLe32(&reply[0], ok ? 1 : 0);
            dqx7460::WriteLe32(&reply[4], returned);
            if (returned == 8192) dqx7460::WriteLe16(&reply[8 + 8000], deviceNumber_);
            if (!SendReply(connection, reply)) return;
        }
    }

    Behaviour behaviour_;
    std::uint16_t deviceNumber_;
    milliseconds pace_;
    int listener_ = -1;
    std::atomic<bool> stop_{false};
    std::condition_variable stopped_;
    std::thread thread_;
    std::mutex mutex_;
    std::vector<std::vector<std::uint8_t>> frames_;
    int exchanges_ = 0;
};

class SocketDriverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(scratch_.Made());
        folder_ = scratch_.Path();
        setenv("DQX7460_DRIVER_DIR", folder_.c_str(), 1);
    }
    void TearDown() override {
        // Every test sets the folder it uses; nothing in this binary reads the old values.
        unsetenv("DQX7460_DRIVER_DIR");
        unsetenv("XDG_RUNTIME_DIR");
        dqx7460::SetRequestTimeout(dqx7460::kDefaultRequestTimeout);
        dqx7460::SetOperationBudget(dqx7460::kDefaultOperationBudget);
    }

    ScratchFolder scratch_{"devlib-sock"};
    std::string folder_;
};

}  // namespace

TEST_F(SocketDriverTest, InstanceFolderFollowsTheEnvironment) {
    setenv("DQX7460_DRIVER_DIR", "/srv/cards", 1);
    setenv("XDG_RUNTIME_DIR", "/run/user/5", 1);
    EXPECT_EQ(dqx7460::InstanceFolder(), "/srv/cards");
    EXPECT_EQ(dqx7460::InstancePath(10), "/srv/cards/EZUSB-A");
    setenv("DQX7460_DRIVER_DIR", "", 1);
    EXPECT_EQ(dqx7460::InstanceFolder(), "/run/user/5/dqx7460");
    unsetenv("DQX7460_DRIVER_DIR");
    EXPECT_EQ(dqx7460::InstancePath(15), "/run/user/5/dqx7460/EZUSB-F");
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(dqx7460::InstanceFolder(), "/tmp/dqx7460-" + std::to_string(getuid()));
    setenv("XDG_RUNTIME_DIR", "", 1);
    EXPECT_EQ(dqx7460::InstanceFolder(), "/tmp/dqx7460-" + std::to_string(getuid()));
}

namespace {
std::vector<std::string> g_messages;
void RecordMessage(const char* text, const char* caption) {
    g_messages.push_back(std::string(caption) + "|" + text);
}

// Opens card 1 served in the folder as it now stands; the messages the open gave.
std::vector<std::string> OpenThroughFolder(const std::string& folder, LONG expected) {
    InstancePeer peer(folder, InstancePeer::Behaviour::kAnswer, 1);
    g_messages.clear();
    dqx7460_set_message_hook(RecordMessage);
    HANDLE handle = nullptr;
    EXPECT_EQ(DQX7460_DeviceOpen(1, &handle), expected);
    dqx7460_set_message_hook(nullptr);
    DQX7460_DeviceClose(handle);
    return g_messages;
}
}  // namespace

// Anyone who can put a socket in the folder can pose as the card: a folder others may write
// to is refused, once with a message, however many instances the open tries.
TEST_F(SocketDriverTest, FolderWritableByOthersIsRefused) {
    ASSERT_EQ(chmod(folder_.c_str(), 0777), 0);
    EXPECT_EQ(
        OpenThroughFolder(folder_, 1),
        std::vector<std::string>{"错误|驱动实例文件夹可被其他用户写入，拒绝使用：" + folder_});
    ASSERT_EQ(chmod(folder_.c_str(), 0755), 0);
    EXPECT_TRUE(OpenThroughFolder(folder_, 0).empty());
}

TEST_F(SocketDriverTest, FolderOfAnotherUserIsRefused) {
    if (geteuid() != 0) GTEST_SKIP() << "handing the folder to another user needs root";
    ASSERT_EQ(chown(folder_.c_str(), 12345, 12345), 0);
    EXPECT_EQ(OpenThroughFolder(folder_, 1),
              std::vector<std::string>{"错误|驱动实例文件夹不属于当前用户，拒绝使用：" + folder_});
}

TEST_F(SocketDriverTest, OpenAndRegisterWriteFramesOverTheSocket) {
    InstancePeer peer(folder_, InstancePeer::Behaviour::kAnswer, 1);
    HANDLE handle = nullptr;
    ASSERT_EQ(DQX7460_DeviceOpen(1, &handle), 0);
    ASSERT_NE(handle, nullptr);
    ASSERT_EQ(DQX7460_DioWriteWord2(handle, 0x00FF), 0);
    EXPECT_EQ(DQX7460_DeviceClose(handle), 0);

    std::vector<std::vector<std::uint8_t>> frames = peer.Frames();
    ASSERT_EQ(frames.size(), 2u * 3 + 2 + 2 + 2u);
    const std::vector<std::uint8_t> readArm = {
        0x59, 0x20, 0x22, 0x00, 10, 0, 0, 0, 16, 0, 0, 0, 0, 2, 0, 0, 0xBB, 0, 0,
        0,    0xEF, 0xBE, 0,    0,  0, 0, 0, 0,  0, 0, 0, 0, 0, 0, 0, 0,    0, 0};
    EXPECT_EQ(frames[6], readArm);
    const std::vector<std::uint8_t> blockRead = {0x4E, 0x20, 0x22, 0, 4, 0, 0, 0,
                                                 0x00, 0x20, 0,    0, 1, 0, 0, 0};
    EXPECT_EQ(frames[7], blockRead);
    EXPECT_EQ(frames[10][16], 0xBA);
    const std::vector<std::uint8_t> registerWrite = {0x51, 0x20, 0x22, 0, 4, 0, 0,    0, 4,    0,
                                                     0,    0,    0,    0, 0, 0, 0x80, 0, 0xFF, 0};
    EXPECT_EQ(frames[11], registerWrite);
}

// Writes whose outcome nobody examines go to the card with the operation's next call that
// waits for it, in the order written; an operation returns once the card answered them all.
// Writes whose outcome decides the result still wait for each reply.
TEST_F(SocketDriverTest, UncheckedWritesShareOneExchangeWithTheCard) {
    InstancePeer peer(folder_, InstancePeer::Behaviour::kAnswer, 1);
    HANDLE handle = dqx7460::SocketDriver().Open(0);
    ASSERT_NE(handle, nullptr);
    AdScanConfig config{};
    config.Reg10Value = 0x1234;
    config.ChannelList[1] = 1;
    config.ChannelCount = 2;
    ASSERT_EQ(DQX7460_AIConfig(handle, config), 0);
    // Three scan values, 32 ranges, the count, the list and its extra entry, the mode.
    std::vector<std::vector<std::uint8_t>> frames = peer.Frames();
    ASSERT_EQ(frames.size(), 2u * 40);
    EXPECT_EQ(peer.Exchanges(), 1);
    for (std::size_t write = 0; write < 40; ++write) {
        EXPECT_EQ(frames[2 * write][16], dqx7460::kRequestWriteArm) << write;
        EXPECT_EQ(ReadLe32(&frames[2 * write + 1][0]), dqx7460::kIoctlBulkWrite) << write;
    }
    EXPECT_EQ(dqx7460::ReadLe16(&frames[1][16]), dqx7460::kRegScanValue10);
    EXPECT_EQ(dqx7460::ReadLe16(&frames[1][18]), 0x1234);
    EXPECT_EQ(dqx7460::ReadLe16(&frames[79][16]), dqx7460::kRegScanMode);

    // Reset pulse and input source with the read arm, the block, the source set back.
    WORD input = 0;
    ASSERT_EQ(DQX7460_DioReadWord2(handle, &input), 0);
    EXPECT_EQ(peer.Frames().size(), 80u + 10);
    EXPECT_EQ(peer.Exchanges(), 1 + 3);
    ASSERT_EQ(DQX7460_DioWriteWord2(handle, 0x00FF), 0);
    EXPECT_EQ(peer.Exchanges(), 4 + 2);
    DQX7460_DeviceClose(handle);
}

// A card that goes away under held-back writes fails the operation's next call, and every
// call after it.
TEST_F(SocketDriverTest, PeerLostUnderUncheckedWritesBreaksTheHandle) {
    std::vector<ULONG> words(512);
    ULONG* buffer = words.data();
    {
        InstancePeer peer(folder_, InstancePeer::Behaviour::kCloseOnRequest);
        HANDLE handle = dqx7460::SocketDriver().Open(0);
        ASSERT_NE(handle, nullptr);
        EXPECT_EQ(DQX7460_StartAd(handle), 1);
        EXPECT_EQ(DQX7460_ADReadData(handle, &buffer, 512), 1);
        EXPECT_EQ(peer.Frames().size(), 1u);
        DQX7460_DeviceClose(handle);
    }
    // The configuration's outcome is not examined: the loss shows at the next call.
    InstancePeer peer(folder_, InstancePeer::Behaviour::kCloseOnRequest);
    HANDLE handle = dqx7460::SocketDriver().Open(0);
    ASSERT_NE(handle, nullptr);
    AdScanConfig config{};
    config.ChannelCount = 1;
    EXPECT_EQ(DQX7460_AIConfig(handle, config), 0);
    EXPECT_EQ(DQX7460_ADReadData(handle, &buffer, 512), 1);
    EXPECT_EQ(peer.Frames().size(), 1u);
    DQX7460_DeviceClose(handle);
}

// A refused call fails but keeps the connection; a peer that closes or answers with more
// than was asked breaks it, so that the next call fails without reaching the peer.
TEST_F(SocketDriverTest, FaultyPeerFailsTheCall) {
    using Behaviour = InstancePeer::Behaviour;
    const std::pair<Behaviour, std::size_t> cases[] = {
        {Behaviour::kRefuse, 2}, {Behaviour::kCloseOnRequest, 1}, {Behaviour::kOverlongReply, 2}};
    for (const auto& [behaviour, frames] : cases) {
        InstancePeer peer(folder_, behaviour);
        HANDLE handle = dqx7460::SocketDriver().Open(0);
        ASSERT_NE(handle, nullptr);
        std::vector<ULONG> words(512);
        ULONG* buffer = words.data();
        EXPECT_EQ(DQX7460_ADReadData(handle, &buffer, 512), 1);
        EXPECT_EQ(DQX7460_LEDTest(handle, 1), 1);
        EXPECT_EQ(peer.Frames().size(), frames) << static_cast<int>(behaviour);
        DQX7460_DeviceClose(handle);
    }
}

TEST_F(SocketDriverTest, SilentPeerFailsWithinTheBoundAndBreaksTheHandle) {
    dqx7460::SetRequestTimeout(milliseconds(300));
    InstancePeer peer(folder_, InstancePeer::Behaviour::kSilent);
    HANDLE handle = dqx7460::SocketDriver().Open(0);
    ASSERT_NE(handle, nullptr);

    Clock::time_point before = Clock::now();
    EXPECT_EQ(DQX7460_LEDTest(handle, 1), 1);
    milliseconds waited = std::chrono::duration_cast<milliseconds>(Clock::now() - before);
    EXPECT_GE(waited.count(), 250);
    EXPECT_LT(waited.count(), 2000);

    before = Clock::now();
    EXPECT_EQ(DQX7460_LEDTest(handle, 1), 1);
    EXPECT_LT(Clock::now() - before, milliseconds(100));
    EXPECT_EQ(peer.Frames().size(), 1u);
    DQX7460_DeviceClose(handle);
}

// A block that arrives short holds zeros where the card's data should be: a card numbered 5
// would open as card 0, and the input word would read as every rig button pressed at once.
TEST_F(SocketDriverTest, ShortBlockIsAFailedRead) {
    InstancePeer peer(folder_, InstancePeer::Behaviour::kShortBlock, 5);
    HANDLE opened = reinterpret_cast<HANDLE>(0x55);
    EXPECT_EQ(DQX7460_DeviceOpen(0, &opened), 1);
    EXPECT_EQ(opened, nullptr);

    HANDLE handle = dqx7460::SocketDriver().Open(0);
    ASSERT_NE(handle, nullptr);
    WORD input = 0xFFFF;
    EXPECT_EQ(DQX7460_DioReadWord2(handle, &input), 1);
    EXPECT_EQ(input, 0xFFFF);
    ULONG counts[4] = {7, 7, 7, 7};
    EXPECT_EQ(DQX7460_ReadBackCount2(handle, &counts[0], &counts[1], &counts[2], &counts[3]), 1);
    EXPECT_EQ(counts[0], 7u);
    std::vector<ULONG> words(512, 0xAAAAAAAA);
    ULONG* buffer = words.data();
    EXPECT_EQ(DQX7460_ADReadData(handle, &buffer, 512), 1);
    DQX7460_DeviceClose(handle);
}

// One deadline per call, whatever the pacing: a reply trickling in one byte at a time fails
// the call at its deadline instead of restarting the wait with every byte.
TEST_F(SocketDriverTest, PacedReplyFailsAtTheCallsDeadline) {
    dqx7460::SetRequestTimeout(milliseconds(300));
    InstancePeer peer(folder_, InstancePeer::Behaviour::kPaced, 1, milliseconds(10));
    HANDLE handle = dqx7460::SocketDriver().Open(0);
    ASSERT_NE(handle, nullptr);
    std::vector<ULONG> words(512);
    ULONG* buffer = words.data();

    const Clock::time_point before = Clock::now();
    EXPECT_EQ(DQX7460_ADReadData(handle, &buffer, 512), 1);
    EXPECT_LT(Clock::now() - before, milliseconds(1500));
    DQX7460_DeviceClose(handle);
}

// A card that answers every call, but slowly, holds an operation for its budget at most; the
// request caught waiting at the deadline breaks the handle, so the caller's next operations
// fail at once. (Each reply takes 250 ms: the second request is waiting when 400 ms pass.)
TEST_F(SocketDriverTest, SlowCardIsBoundedByTheOperationBudget) {
    dqx7460::SetOperationBudget(milliseconds(400));
    InstancePeer peer(folder_, InstancePeer::Behaviour::kSlow, 1, milliseconds(250));
    HANDLE handle = dqx7460::SocketDriver().Open(0);
    ASSERT_NE(handle, nullptr);
    double volts[2] = {};
    AdScanRequest request{};
    request.Config.ChannelList[1] = 1;
    request.Config.ChannelCount = 2;
    request.Results = volts;

    Clock::time_point before = Clock::now();
    EXPECT_EQ(DQX7460_MAIVoltageIn(handle, &request), 1);
    const milliseconds scan = std::chrono::duration_cast<milliseconds>(Clock::now() - before);
    EXPECT_GE(scan.count(), 350);
    EXPECT_LT(scan.count(), 1500);

    const std::size_t frames = peer.Frames().size();
    EXPECT_LE(frames, 3u);
    before = Clock::now();
    EXPECT_EQ(DQX7460_DioWriteWord2(handle, 0x00FF), 1);
    EXPECT_LT(Clock::now() - before, milliseconds(100));
    DQX7460_DeviceClose(handle);
}

namespace {

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

}  // namespace

// Waiting for a reply costs the caller no processor time: requests back to back, each
// answered a millisecond late, keep it busy for a small part of that millisecond each, where
// polling the socket through the wait would spend a good part of it.
TEST_F(SocketDriverTest, WaitingForRepliesCostsNoProcessorTime) {
    InstancePeer peer(folder_, InstancePeer::Behaviour::kSlow, 1, milliseconds(1));
    HANDLE handle = nullptr;
    ASSERT_EQ(DQX7460_DeviceOpen(1, &handle), 0);
    const std::size_t framesBefore = peer.Frames().size();
    const Clock::time_point begin = Clock::now();
    const double cpuBefore = ThreadCpuSeconds();
    for (int i = 0; i < 100; ++i) ASSERT_EQ(DQX7460_DioWriteWord2(handle, 0x00FF), 0);
    const double cpu = ThreadCpuSeconds() - cpuBefore;
    const double wall = std::chrono::duration<double>(Clock::now() - begin).count();
    DQX7460_DeviceClose(handle);
    const double requests = static_cast<double>(peer.Frames().size() - framesBefore);
    ASSERT_GE(requests, 200.0);
    EXPECT_GE(wall, requests * 1e-3);
    // A sixth of the wait: room for a sanitizer's instrumented build on a busy machine, far
    // below the whole millisecond a poll through the wait would spend.
    EXPECT_LT(cpu, requests * 160e-6) << cpu << " s for " << requests << " requests";
}

// With a busy thread for every processor and two more, a call still gets its answer.
TEST_F(SocketDriverTest, CrowdedMachineCallsStillAnswer) {
    const int busyThreads = get_nprocs() + 2;
    std::atomic<int> running{0};
    std::atomic<bool> busy{true};
    std::vector<std::thread> crowd;
    for (int i = 0; i < busyThreads; ++i) {
        crowd.emplace_back([&running, &busy] {
            ++running;
            while (busy.load(std::memory_order_relaxed)) {
            }
        });
    }
    const Clock::time_point bound = Clock::now() + std::chrono::seconds(10);
    while (running < busyThreads && Clock::now() < bound) std::this_thread::yield();

    InstancePeer peer(folder_, InstancePeer::Behaviour::kAnswer, 1);
    LONG opened = 1;
    LONG wrote = 1;
    std::thread caller([&] {
        HANDLE handle = nullptr;
        opened = DQX7460_DeviceOpen(1, &handle);
        wrote = DQX7460_DioWriteWord2(handle, 0x00FF);
        DQX7460_DeviceClose(handle);
    });
    caller.join();
    busy = false;
    for (std::thread& thread : crowd) thread.join();

    EXPECT_EQ(running, busyThreads);
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(wrote, 0);
    EXPECT_EQ(peer.Frames().size(), 2u * 3 + 2 + 2 + 2u);
}
