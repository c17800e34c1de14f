#include "control_client.h"

#include <errno.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "paths.h"
#include "server.h"

namespace sim {

ControlClient::~ControlClient() {
    Close();
}

void ControlClient::Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    pending_.clear();
}

bool ControlClient::Connect(const std::string& dir, std::string* error, int timeoutMs) {
    Close();
    dir_ = dir;
    timeoutMs_ = timeoutMs;
    return Open(error);
}

bool ControlClient::Open(std::string* error) {
    std::string path = ControlSocketPath(dir_);
    sockaddr_un addr{};
    if (path.size() >= sizeof(addr.sun_path)) {
        *error = "socket path too long: " + path;
        return false;
    }
    fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) {
        *error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    timeval timeout{timeoutMs_ / 1000, (timeoutMs_ % 1000) * 1000};
    setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
    setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof(timeout));
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof(addr.sun_path) - 1);
    if (connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
        *error = "cannot connect to " + path + ": " + std::strerror(errno);
        Close();
        return false;
    }
    lastUse_ = std::chrono::steady_clock::now();
    return true;
}

bool ControlClient::Send(const std::string& command, std::string* reply) {
    if (fd_ < 0) return false;
    // Well inside the simulator's idle limit, so the connection is never dropped between
    // this check and the command.
    constexpr auto kFreshFor = Server::kControlIdleLimit / 2;
    if (std::chrono::steady_clock::now() - lastUse_ >= kFreshFor) {
        Close();
        std::string error;
        if (!Open(&error)) return false;
    }
    std::string line = command + "\n";
    const char* p = line.data();
    std::size_t left = line.size();
    while (left > 0) {
        ssize_t n = send(fd_, p, left, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            Close();
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    for (;;) {
        std::size_t newline = pending_.find('\n');
        if (newline != std::string::npos) {
            *reply = pending_.substr(0, newline);
            pending_.erase(0, newline + 1);
            lastUse_ = std::chrono::steady_clock::now();
            return true;
        }
        char buffer[512];
        ssize_t n = read(fd_, buffer, sizeof(buffer));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            Close();
            return false;
        }
        pending_.append(buffer, static_cast<std::size_t>(n));
    }
}

}  // namespace sim
