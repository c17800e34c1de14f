// The simulator's request handling: the fuzz input is everything a client sends on a driver
// instance before it stops writing; the server frames the requests, the card acts on them,
// and the harness drains the replies until the server closes.
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "card.h"
#include "paths.h"
#include "server.h"

namespace {

const std::string& InstanceSocket() {
    static sim::Card card(1);
    static const std::string path = [] {
        char pattern[] = "/tmp/dqx7460-request-fuzz-XXXXXX";
        if (mkdtemp(pattern) == nullptr) std::abort();
        static sim::Server server(
            pattern, [](const std::string&, bool*) { return std::string("ok"); }, nullptr);
        server.AddInstance(0, card);
        std::string error;
        if (!server.Start(&error)) std::abort();
        return dqx7460::InstancePathIn(pattern, 0);
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, InstanceSocket().c_str(), sizeof address.sun_path - 1);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) std::abort();

    // Writes and reads interleaved, so that neither side waits on a full buffer.
    std::size_t sent = 0;
    bool writing = true;
    for (;;) {
        if (writing && sent == size) {
            shutdown(fd, SHUT_WR);
            writing = false;
        }
        pollfd entry{fd, static_cast<short>(POLLIN | (writing ? POLLOUT : 0)), 0};
        if (poll(&entry, 1, 5000) <= 0) std::abort();
        if (entry.revents & (POLLIN | POLLHUP | POLLERR)) {
            std::uint8_t reply[65536];
            const ssize_t got = recv(fd, reply, sizeof reply, 0);
            if (got <= 0) break;
        }
        if (writing && (entry.revents & POLLOUT)) {
            const ssize_t n = send(fd, data + sent, size - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0) break;
            sent += static_cast<std::size_t>(n);
        }
    }
    close(fd);
    return 0;
}
