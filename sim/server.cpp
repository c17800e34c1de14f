#include "server.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>

#include "card_registers.h"
#include "paths.h"
#include "socket_frame.h"

namespace sim {

using Clock = std::chrono::steady_clock;
using dqx7460::kIoctlBulkRead;
using dqx7460::kReplyHeaderBytes;
using dqx7460::kRequestHeaderBytes;
using dqx7460::ReadLe32;
using dqx7460::WriteLe32;

namespace {

// At least as large as any transfer the library makes (a 65535-word stream read is 262,140
// bytes; it sends 10-byte vendor requests with 16 data bytes and 4-byte register writes); a
// request beyond these is a broken peer and loses its connection, so that no peer makes the
// simulator hold more than a few hundred kilobytes for it.
constexpr std::uint32_t kMaxInputBytes = 4096;
constexpr std::uint32_t kMaxDataToCardBytes = 4096;
constexpr std::uint32_t kMaxReadBytes = 256u << 10;
constexpr std::size_t kReadChunk = 64 * 1024;
constexpr std::size_t kMaxControlLine = 4096;

bool SendAll(int fd, const void* data, std::size_t len) {
    const auto* p = static_cast<const char*>(data);
    while (len > 0) {
        ssize_t n = send(fd, p, len, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        len -= static_cast<std::size_t>(n);
    }
    return true;
}

// Buffered reading of one connection: a request usually arrives in one read.
class InputBuffer {
  public:
    explicit InputBuffer(int fd) : fd_(fd), data_(kReadChunk) {}

    // Makes at least n bytes available at Data(); false when the peer closed or failed, or
    // sent nothing more by the deadline.
    bool Fill(std::size_t n, Clock::time_point deadline = Clock::time_point::max()) {
        while (end_ - begin_ < n) {
            if (data_.size() - begin_ < n || end_ == data_.size()) {
                std::memmove(data_.data(), data_.data() + begin_, end_ - begin_);
                end_ -= begin_;
                begin_ = 0;
                if (data_.size() < n) data_.resize(n);
            }
            // Without a deadline the read itself sleeps until the peer sends: one system
            // call a request fewer than waiting first.
            if (deadline != Clock::time_point::max() && !dqx7460::WaitReadable(fd_, deadline) &&
                Clock::now() >= deadline) {
                return false;
            }
            ssize_t got = read(fd_, data_.data() + end_, data_.size() - end_);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return false;
            end_ += static_cast<std::size_t>(got);
        }
        return true;
    }
    std::uint8_t* Data() { return data_.data() + begin_; }
    std::size_t Available() const { return end_ - begin_; }
    void Consume(std::size_t n) {
        begin_ += n;
        if (begin_ == end_) begin_ = end_ = 0;
    }

  private:
    int fd_;
    std::vector<std::uint8_t> data_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
};

bool IsLiveSocket(const std::string& path) {
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof(addr.sun_path) - 1);
    bool live = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0;
    close(fd);
    return live;
}

int BindSocket(const std::string& path, std::string* error) {
    sockaddr_un addr{};
    if (path.size() >= sizeof(addr.sun_path)) {
        *error = "socket path too long: " + path;
        return -1;
    }
    if (IsLiveSocket(path)) {
        *error = "another process already serves " + path;
        return -1;
    }
    // Bound and listening under a scratch name first, then renamed: a client that sees the
    // socket can always connect to it.
    std::string scratch = path + ".new";
    if (scratch.size() >= sizeof(addr.sun_path)) {
        *error = "socket path too long: " + scratch;
        return -1;
    }
    unlink(scratch.c_str());
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *error = std::string("socket: ") + std::strerror(errno);
        return -1;
    }
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, scratch.c_str(), sizeof(addr.sun_path) - 1);
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 ||
        listen(fd, SOMAXCONN) != 0 || rename(scratch.c_str(), path.c_str()) != 0) {
        *error = "cannot serve " + path + ": " + std::strerror(errno);
        close(fd);
        unlink(scratch.c_str());
        return -1;
    }
    return fd;
}

bool MakeDirs(const std::string& dir) {
    for (std::size_t pos = 1; pos <= dir.size(); ++pos) {
        if (pos == dir.size() || dir[pos] == '/') {
            std::string part = dir.substr(0, pos);
            if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        }
    }
    struct stat st {};
    return stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

bool TrustedFolder(const std::string& dir, std::string* error) {
    switch (dqx7460::CheckInstanceFolder(dir)) {
        case dqx7460::FolderTrust::kTrusted:
            return true;
        case dqx7460::FolderTrust::kMissing:
            *error = "folder " + dir + " is missing";
            return false;
        case dqx7460::FolderTrust::kNotAFolder:
            *error = "refusing " + dir + ": not a folder";
            return false;
        case dqx7460::FolderTrust::kForeignOwner:
            *error = "refusing folder " + dir +
                     ": it belongs to another user, who could pose as the card";
            return false;
        case dqx7460::FolderTrust::kWritableByOthers:
            *error =
                "refusing folder " + dir + ": other users may write to it and pose as the card";
            return false;
    }
    return false;
}

Server::Server(std::string dir, ControlHandler control, std::function<void()> onQuit)
    : dir_(std::move(dir)), control_(std::move(control)), onQuit_(std::move(onQuit)) {}

Server::~Server() {
    Stop();
}

void Server::AddInstance(int instance, Card& card) {
    Listener listener;
    listener.path = dqx7460::InstancePathIn(dir_, instance);
    listener.card = &card;
    listeners_.push_back(listener);
}

bool Server::Start(std::string* error) {
    if (!MakeDirs(dir_)) {
        *error = "cannot create folder " + dir_ + ": " + std::strerror(errno);
        return false;
    }
    if (!TrustedFolder(dir_, error)) return false;
    Listener control;
    control.path = ControlSocketPath(dir_);
    listeners_.push_back(control);
    for (Listener& listener : listeners_) {
        listener.fd = BindSocket(listener.path, error);
        if (listener.fd < 0) {
            CloseListeners();
            return false;
        }
    }
    if (pipe2(wakePipe_, O_CLOEXEC) != 0) {
        *error = std::string("pipe: ") + std::strerror(errno);
        CloseListeners();
        return false;
    }
    running_ = true;
    acceptThread_ = std::thread([this] { AcceptLoop(); });
    return true;
}

void Server::CloseListeners() {
    for (Listener& listener : listeners_) {
        if (listener.fd >= 0) {
            close(listener.fd);
            unlink(listener.path.c_str());
            listener.fd = -1;
        }
    }
}

void Server::Stop() {
    if (!running_) return;
    running_ = false;
    char byte = 0;
    while (write(wakePipe_[1], &byte, 1) < 0 && errno == EINTR) {
    }
    acceptThread_.join();
    CloseListeners();
    {
        std::lock_guard<std::mutex> lock(connectionsMutex_);
        for (Connection& connection : connections_) {
            if (connection.fd >= 0) shutdown(connection.fd, SHUT_RDWR);
        }
    }
    for (Connection& connection : connections_) connection.thread.join();
    connections_.clear();
    close(wakePipe_[0]);
    close(wakePipe_[1]);
    wakePipe_[0] = wakePipe_[1] = -1;
}

void Server::ReapFinished() {
    std::lock_guard<std::mutex> lock(connectionsMutex_);
    for (auto it = connections_.begin(); it != connections_.end();) {
        if (it->finished.load()) {
            it->thread.join();
            it = connections_.erase(it);
        } else {
            ++it;
        }
    }
}

void Server::AcceptLoop() {
    std::vector<pollfd> fds;
    for (const Listener& listener : listeners_) fds.push_back({listener.fd, POLLIN, 0});
    fds.push_back({wakePipe_[0], POLLIN, 0});
    for (;;) {
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds.back().revents != 0) return;
        ReapFinished();
        for (std::size_t i = 0; i < listeners_.size(); ++i) {
            if ((fds[i].revents & POLLIN) == 0) continue;
            int fd = accept4(listeners_[i].fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            std::lock_guard<std::mutex> lock(connectionsMutex_);
            if (connections_.size() >= kMaxClients) {
                close(fd);
                continue;
            }
            Connection& connection = connections_.emplace_back();
            connection.fd = fd;
            Card* card = listeners_[i].card;
            connection.thread = std::thread([this, &connection, card] {
                if (card != nullptr) {
                    ServeInstance(connection, *card);
                } else {
                    ServeControl(connection);
                }
                // The peer learns at once that the connection is over.
                std::lock_guard<std::mutex> closing(connectionsMutex_);
                close(connection.fd);
                connection.fd = -1;
                connection.finished = true;
            });
        }
    }
}

namespace {

// The length of the request at the front of the buffered input; 0 until its header is in.
std::size_t RequestLength(const std::uint8_t* header, std::size_t available) {
    if (available < kRequestHeaderBytes) return 0;
    const std::uint32_t code = ReadLe32(header);
    const std::size_t dataLen = dqx7460::CarriesOutputToDevice(code) ? ReadLe32(header + 8) : 0;
    return kRequestHeaderBytes + ReadLe32(header + 4) + dataLen;
}

}  // namespace

// A peer may send several requests before it reads a reply: they are answered in order, and
// the replies to those that arrived together go back in one send (of a bounded size).
void Server::ServeInstance(Connection& connection, Card& card) {
    InputBuffer input(connection.fd);
    std::vector<std::uint8_t> replies;
    for (;;) {
        if (!input.Fill(kRequestHeaderBytes)) return;
        const std::uint8_t* header = input.Data();
        std::uint32_t code = ReadLe32(header);
        std::uint32_t inLen = ReadLe32(header + 4);
        std::uint32_t outLen = ReadLe32(header + 8);
        std::size_t dataLen = dqx7460::CarriesOutputToDevice(code) ? outLen : 0;
        if (inLen > kMaxInputBytes || outLen > kMaxReadBytes || dataLen > kMaxDataToCardBytes) {
            return;
        }
        std::size_t requestLen = kRequestHeaderBytes + inLen + dataLen;
        if (!input.Fill(requestLen)) return;
        std::uint8_t* request = input.Data();
        bool ok = false;
        std::uint32_t returned = 0;
        const std::size_t at = replies.size();
        replies.resize(at + kReplyHeaderBytes);
        if (code == kIoctlBulkRead) {
            replies.resize(at + kReplyHeaderBytes + outLen);
            ok = card.Control(code, request + kRequestHeaderBytes, inLen,
                              replies.data() + at + kReplyHeaderBytes, outLen, &returned);
            replies.resize(at + kReplyHeaderBytes + returned);
        } else if (dqx7460::CarriesOutputToDevice(code)) {
            ok = card.Control(code, request + kRequestHeaderBytes, inLen,
                              request + kRequestHeaderBytes + inLen, outLen, &returned);
        }
        input.Consume(requestLen);
        WriteLe32(replies.data() + at, ok ? 1 : 0);
        WriteLe32(replies.data() + at + 4, returned);
        const std::size_t next = RequestLength(input.Data(), input.Available());
        if (next != 0 && next <= input.Available() && replies.size() < kReadChunk) continue;
        if (!SendAll(connection.fd, replies.data(), replies.size())) return;
        replies.clear();
    }
}

void Server::ServeControl(Connection& connection) {
    InputBuffer input(connection.fd);
    std::string line;
    for (;;) {
        if (!input.Fill(1, Clock::now() + kControlIdleLimit)) return;
        const std::uint8_t* data = input.Data();
        std::size_t n = input.Available();
        std::size_t taken = 0;
        while (taken < n) {
            char c = static_cast<char>(data[taken++]);
            if (c != '\n') {
                if (line.size() >= kMaxControlLine) return;
                line.push_back(c);
                continue;
            }
            if (!line.empty() && line.back() == '\r') line.pop_back();
            bool quit = false;
            std::string answer = control_(line, &quit) + "\n";
            line.clear();
            bool sent = SendAll(connection.fd, answer.data(), answer.size());
            if (quit && onQuit_) onQuit_();
            if (!sent) return;
        }
        input.Consume(taken);
    }
}

}  // namespace sim
