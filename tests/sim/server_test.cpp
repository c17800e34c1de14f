// The instance server against raw socket clients: what it does with peers that drop, crowd
// or overreach.
#include "server.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include "../common/scratch_folder.h"
#include "card_registers.h"
#include "control_client.h"
#include "instance_path.h"
#include "paths.h"
#include "socket_frame.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

template <typename Predicate>
bool WaitFor(Predicate predicate, milliseconds limit = milliseconds(5000)) {
    const Clock::time_point deadline = Clock::now() + limit;
    while (!predicate()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::yield();
    }
    return true;
}

int OpenDescriptors() {
    int count = 0;
    DIR* folder = opendir("/proc/self/fd");
    while (readdir(folder) != nullptr) ++count;
    closedir(folder);
    return count;
}

int Connect(const std::string& path) {
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << path;
    return fd;
}

std::vector<std::uint8_t> Header(std::uint32_t code, std::uint32_t inLen, std::uint32_t outLen) {
    std::vector<std::uint8_t> frame(dqx7460::kRequestHeaderBytes);
    dqx7460::WriteLe32(&frame[0], code);
    dqx7460::WriteLe32(&frame[4], inLen);
    dqx7460::WriteLe32(&frame[8], outLen);
    return frame;
}

// What the server sends back within a second: the bytes, and whether it then closed.
struct Answer {
    std::vector<std::uint8_t> bytes;
    bool closed = false;
};

Answer Receive(int fd, std::size_t expected) {
    Answer answer;
    const Clock::time_point deadline = Clock::now() + milliseconds(1000);
    while (answer.bytes.size() < expected && Clock::now() < deadline) {
        pollfd entry{fd, POLLIN, 0};
        if (poll(&entry, 1, 50) <= 0) continue;
        std::uint8_t chunk[256];
        ssize_t got = recv(fd, chunk, sizeof chunk, 0);
        if (got <= 0) {
            answer.closed = true;
            break;
        }
        answer.bytes.insert(answer.bytes.end(), chunk, chunk + got);
    }
    return answer;
}

// One read-arm request: the reply shows that the server serves this connection.
bool Served(int fd) {
    std::vector<std::uint8_t> frame = Header(dqx7460::kIoctlVendorRequest, 10, 16);
    frame.resize(frame.size() + 26);
    frame[12 + 4] = dqx7460::kRequestReadArm;
    frame[12 + 8] = 0xEF;
    frame[12 + 9] = 0xBE;
    if (send(fd, frame.data(), frame.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(frame.size())) {
        return false;
    }
    return Receive(fd, dqx7460::kReplyHeaderBytes).bytes.size() == dqx7460::kReplyHeaderBytes;
}

class ServerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(scratch_.Made());
        dir_ = scratch_.Path();
        server_ = std::make_unique<sim::Server>(
            dir_, [](const std::string&, bool*) { return std::string("ok"); }, nullptr);
        server_->AddInstance(0, card_);
        std::string error;
        ASSERT_TRUE(server_->Start(&error)) << error;
        instance_ = dqx7460::InstancePathIn(dir_, 0);
    }
    void TearDown() override { server_.reset(); }

    ScratchFolder scratch_{"dqx7460-server"};
    sim::Card card_;
    std::string dir_;
    std::string instance_;
    std::unique_ptr<sim::Server> server_;
};

}  // namespace

TEST_F(ServerTest, DroppedConnectionIsClosedAtOnce) {
    const int before = OpenDescriptors();
    int fd = Connect(instance_);
    ASSERT_TRUE(Served(fd));
    close(fd);
    EXPECT_TRUE(WaitFor([&] { return OpenDescriptors() == before; }));
}

TEST_F(ServerTest, ClientsBeyondTheCapAreTurnedAway) {
    std::vector<int> clients;
    for (std::size_t i = 0; i < sim::Server::kMaxClients; ++i) {
        clients.push_back(Connect(instance_));
        ASSERT_TRUE(Served(clients.back())) << i;
    }
    int extra = Connect(instance_);
    EXPECT_TRUE(Receive(extra, 1).closed);
    close(extra);

    close(clients.back());
    clients.pop_back();
    EXPECT_TRUE(WaitFor([&] {
        int again = Connect(instance_);
        const bool served = Served(again);
        close(again);
        return served;
    }));
    for (int fd : clients) close(fd);
}

// Control clients that say nothing are dropped after the idle limit, so a crowd of them
// cannot keep the program (or anyone) out for long; a client that keeps talking stays.
TEST_F(ServerTest, IdleControlClientsAreDropped) {
    const std::string control = sim::ControlSocketPath(dir_);
    sim::ControlClient talker;
    std::string error, reply;
    ASSERT_TRUE(talker.Connect(dir_, &error)) << error;
    ASSERT_TRUE(talker.Send("ping", &reply));
    std::vector<int> idle;
    for (std::size_t i = 1; i < sim::Server::kMaxClients; ++i) {
        idle.push_back(Connect(control));
        ASSERT_EQ(send(idle.back(), "ping\n", 5, MSG_NOSIGNAL), 5);
        ASSERT_EQ(Receive(idle.back(), 3).bytes.size(), 3u) << "served: " << i;
    }
    int extra = Connect(instance_);
    EXPECT_TRUE(Receive(extra, 1).closed) << "every place is taken";
    close(extra);

    const milliseconds limit = sim::Server::kControlIdleLimit;
    for (int fd : idle) {
        pollfd entry{fd, POLLIN, 0};
        ASSERT_EQ(poll(&entry, 1, static_cast<int>(2 * limit.count())), 1);
        char byte;
        EXPECT_EQ(recv(fd, &byte, 1, 0), 0) << "closed by the simulator";
        close(fd);
    }
    // The talker's connection went idle too; it is made again for the next command.
    ASSERT_TRUE(talker.Send("ping", &reply));
    EXPECT_EQ(reply, "ok");
    EXPECT_TRUE(WaitFor([&] {
        int again = Connect(instance_);
        const bool served = Served(again);
        close(again);
        return served;
    }));
}

// Requests that arrive together are answered in order, a block read's data in its place.
TEST_F(ServerTest, RequestsSentTogetherAreAnsweredInOrder) {
    std::vector<std::uint8_t> together;
    auto arm = [&](std::uint8_t request) {
        std::vector<std::uint8_t> frame = Header(dqx7460::kIoctlVendorRequest, 10, 16);
        frame.resize(frame.size() + 26);
        frame[12 + 4] = request;
        frame[12 + 8] = 0xEF;
        frame[12 + 9] = 0xBE;
        together.insert(together.end(), frame.begin(), frame.end());
    };
    auto pipe = [&](std::uint32_t code, std::uint32_t pipeNumber, std::uint32_t outLen) {
        std::vector<std::uint8_t> frame = Header(code, 4, outLen);
        frame.resize(frame.size() + 4);
        dqx7460::WriteLe32(&frame[12], pipeNumber);
        together.insert(together.end(), frame.begin(), frame.end());
    };
    // The input word as the read source, a block of it, a call the card does not know, and
    // a read arm.
    arm(dqx7460::kRequestWriteArm);
    pipe(dqx7460::kIoctlBulkWrite, dqx7460::kPipeBulkOut, 4);
    const std::uint8_t sourceWrite[4] = {dqx7460::kRegReadSource, 0, dqx7460::kSourceDigitalIn, 0};
    together.insert(together.end(), sourceWrite, sourceWrite + 4);
    arm(dqx7460::kRequestReadArm);
    pipe(dqx7460::kIoctlBulkRead, dqx7460::kPipeBulkIn, 64);
    const std::vector<std::uint8_t> unknown = Header(0x00220000, 0, 0);
    together.insert(together.end(), unknown.begin(), unknown.end());
    arm(dqx7460::kRequestReadArm);
    int fd = Connect(instance_);
    ASSERT_EQ(send(fd, together.data(), together.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(together.size()));

    const std::size_t header = dqx7460::kReplyHeaderBytes;
    const Answer answer = Receive(fd, 6 * header + 64);
    ASSERT_EQ(answer.bytes.size(), 6 * header + 64);
    EXPECT_FALSE(answer.closed);
    const std::uint8_t* reply = answer.bytes.data();
    for (int ok : {0, 1, 2}) EXPECT_EQ(dqx7460::ReadLe32(reply + ok * header), 1u) << ok;
    EXPECT_EQ(dqx7460::ReadLe32(reply + 3 * header + 4), 64u) << "the block's length";
    EXPECT_EQ(dqx7460::ReadLe32(reply + 4 * header + 64), 0u) << "the unknown code fails";
    EXPECT_EQ(dqx7460::ReadLe32(reply + 5 * header + 64), 1u);
    close(fd);
}

// Requests larger than any the library makes lose their connection without a reply; the
// largest stream read is still answered.
TEST_F(ServerTest, OversizedRequestsLoseTheirConnection) {
    struct Case {
        std::uint32_t code, inLen, outLen;
        bool answered;
    };
    const Case cases[] = {
        {dqx7460::kIoctlBulkRead, 4, 65535 * 4, true},
        {dqx7460::kIoctlBulkRead, 4, (256u << 10) + 1, false},
        {dqx7460::kIoctlBulkWrite, 4, 4097, false},
        {dqx7460::kIoctlVendorRequest, 4097, 16, false},
    };
    for (const Case& c : cases) {
        int fd = Connect(instance_);
        std::vector<std::uint8_t> frame = Header(c.code, c.inLen, c.outLen);
        ASSERT_EQ(send(fd, frame.data(), frame.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(frame.size()));
        if (c.answered) {
            frame.assign(c.inLen, 0);
            frame[0] = static_cast<std::uint8_t>(dqx7460::kPipeBulkIn);
            send(fd, frame.data(), frame.size(), MSG_NOSIGNAL);
        }
        const Answer answer = Receive(fd, dqx7460::kReplyHeaderBytes);
        EXPECT_EQ(answer.bytes.size(), c.answered ? dqx7460::kReplyHeaderBytes : 0u) << c.outLen;
        EXPECT_EQ(answer.closed, !c.answered) << c.outLen;
        close(fd);
    }
}

// The simulator creates its folder for this user alone, and serves nowhere another user
// could have prepared.
TEST(ServerFolder, CreatedPrivateAndRefusedWhenOthersCouldServeIt) {
    const ScratchFolder scratch("dqx7460-folder");
    ASSERT_TRUE(scratch.Made());
    const std::string& root = scratch.Path();
    sim::Card card;
    auto start = [&](const std::string& dir, std::string* error) {
        sim::Server server(
            dir, [](const std::string&, bool*) { return std::string("ok"); }, nullptr);
        server.AddInstance(0, card);
        return server.Start(error);
    };
    std::string error;
    const std::string fresh = root + "/run/cards";
    ASSERT_TRUE(start(fresh, &error)) << error;
    struct stat status {};
    ASSERT_EQ(stat(fresh.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);

    ASSERT_EQ(chmod(fresh.c_str(), 0777), 0);
    EXPECT_FALSE(start(fresh, &error));
    EXPECT_NE(error.find("other users may write"), std::string::npos) << error;
    if (geteuid() == 0) {
        ASSERT_EQ(chmod(fresh.c_str(), 0700), 0);
        ASSERT_EQ(chown(fresh.c_str(), 12345, 12345), 0);
        EXPECT_FALSE(start(fresh, &error));
        EXPECT_NE(error.find("belongs to another user"), std::string::npos) << error;
    }
    std::filesystem::remove_all(root);
    if (geteuid() != 0) GTEST_SKIP() << "a folder of another user needs root to make";
}
