// The socket driver's reply handling: the fuzz input is everything a peer sends back on a
// driver instance before it closes. The library runs a register write, the read-backs, a
// scan and an open against it, each parsing whatever replies the bytes make.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "DQX7460.h"
#include "deadline.h"
#include "socket_driver.h"

namespace {

// A listening instance 0 in a private folder.
int Listener() {
    static const int listener = [] {
        char pattern[] = "/tmp/dqx7460-reply-fuzz-XXXXXX";
        if (mkdtemp(pattern) == nullptr) std::abort();
        setenv("DQX7460_DRIVER_DIR", pattern, 1);
        dqx7460::SetRequestTimeout(std::chrono::milliseconds(200));
        int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = dqx7460::InstancePathIn(pattern, 0);
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(fd, 4) != 0) {
            std::abort();
        }
        return fd;
    }();
    return listener;
}

// Runs the client while a peer on instance 0 sends the bytes as its replies and closes.
template <typename Client>
void AgainstPeer(const std::uint8_t* data, std::size_t size, Client client) {
    std::thread peer([&] {
        const int fd = accept(Listener(), nullptr, nullptr);
        for (std::size_t sent = 0; sent < size;) {
            const ssize_t n = send(fd, data + sent, size - sent, MSG_NOSIGNAL);
            if (n <= 0) break;
            sent += static_cast<std::size_t>(n);
        }
        shutdown(fd, SHUT_WR);
        close(fd);
    });
    client();
    peer.join();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Listener();
    AgainstPeer(data, size, [] {
        HANDLE handle = dqx7460::SocketDriver().Open(0);
        WORD input = 0;
        ULONG counts[4] = {};
        double volts[2] = {};
        AdScanRequest scan{};
        scan.Config.ChannelList[1] = 1;
        scan.Config.ChannelCount = 2;
        scan.Results = volts;
        DQX7460_LEDTest(handle, 1);
        DQX7460_DioReadWord2(handle, &input);
        DQX7460_ReadBackCount2(handle, &counts[0], &counts[1], &counts[2], &counts[3]);
        DQX7460_MAIVoltageIn(handle, &scan);
        DQX7460_DeviceClose(handle);
    });
    // The open makes of the same bytes its device-number block.
    AgainstPeer(data, size, [] {
        HANDLE opened = nullptr;
        if (DQX7460_DeviceOpen(0, &opened) == 0) DQX7460_DeviceClose(opened);
    });
    return 0;
}
