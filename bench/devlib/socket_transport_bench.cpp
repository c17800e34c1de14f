// Measures the card library's socket transport against a minimal peer process that answers
// every request at once: register writes per second and 512-word block reads in MB/s.
// The figures bound what any simulator or bridge behind the same sockets can reach.
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "DQX7460.h"

namespace {

constexpr std::uint32_t kBulkRead = 0x0022204E;
constexpr int kRegisterWrites = 200000;
constexpr int kBlockReads = 20000;
constexpr WORD kBlockWords = 512;

std::uint32_t Le32(const std::uint8_t* at) {
    return at[0] | at[1] << 8 | at[2] << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

// Answers requests on one connection until the peer closes it; a request usually arrives
// whole, so one receive per request.
void Serve(int listener) {
    int connection = accept(listener, nullptr, nullptr);
    std::vector<std::uint8_t> buffer(1 << 16);
    std::size_t have = 0;
    std::vector<std::uint8_t> reply(8 + 65536 * 4, 0);
    reply[0] = 1;
    auto receiveUntil = [&](std::size_t length) {
        while (have < length) {
            ssize_t got = recv(connection, buffer.data() + have, buffer.size() - have, 0);
            if (got <= 0) return false;
            have += static_cast<std::size_t>(got);
        }
        return true;
    };
    while (receiveUntil(12)) {
        const std::uint32_t code = Le32(&buffer[0]);
        const std::uint32_t outLen = Le32(&buffer[8]);
        const std::size_t frame = 12 + Le32(&buffer[4]) + (code == kBulkRead ? 0 : outLen);
        if (frame > buffer.size() || !receiveUntil(frame)) break;
        std::memmove(buffer.data(), buffer.data() + frame, have - frame);
        have -= frame;
        const std::uint32_t returned = code == kBulkRead ? outLen : 0;
        std::memcpy(&reply[4], &returned, sizeof returned);
        if (send(connection, reply.data(), 8 + returned, MSG_NOSIGNAL) < 0) break;
    }
    close(connection);
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
    char pattern[] = "/tmp/devlib-bench-XXXXXX";
    std::string folder = mkdtemp(pattern);
    setenv("DQX7460_DRIVER_DIR", folder.c_str(), 1);
    int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string path = folder + "/EZUSB-0";
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 1) != 0) {
        std::perror("peer socket");
        return 1;
    }
    pid_t peer = fork();
    if (peer == 0) {
        Serve(listener);
        _exit(0);
    }

    // DQX7460_Reset is two register writes; the handle is a raw connection to instance 0.
    HANDLE handle = nullptr;
    DQX7460_DeviceOpen(0, &handle);
    if (handle == nullptr) {
        std::fprintf(stderr, "no connection to the peer\n");
        return 1;
    }
    auto start = std::chrono::steady_clock::now();
    for (int write = 0; write < kRegisterWrites; ++write) {
        DQX7460_DioWriteWord2(handle, static_cast<WORD>(write));
    }
    double seconds = SecondsSince(start);
    std::printf("register writes: %.0f per second (%d in %.3f s)\n", kRegisterWrites / seconds,
                kRegisterWrites, seconds);

    std::vector<ULONG> block(kBlockWords);
    ULONG* words = block.data();
    start = std::chrono::steady_clock::now();
    for (int read = 0; read < kBlockReads; ++read) DQX7460_ADReadData(handle, &words, kBlockWords);
    seconds = SecondsSince(start);
    std::printf("512-word block reads: %.1f MB/s (%d in %.3f s)\n",
                kBlockReads * kBlockWords * 4.0 / seconds / 1e6, kBlockReads, seconds);

    DQX7460_DeviceClose(handle);
    waitpid(peer, nullptr, 0);
    close(listener);
    unlink(path.c_str());
    rmdir(folder.c_str());
    return 0;
}
