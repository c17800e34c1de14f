#include "socket_driver.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "card_protocol.h"

namespace dqx7460 {
namespace {

// Calls held back at most before they are sent and answered: their requests and replies fit
// the socket's buffers many times over, so that neither side waits on a full buffer while the
// other waits on it.
constexpr std::uint32_t kMaxPostedCalls = 256;

// A handle carries the connection's descriptor, offset by one so that descriptor 0 is
// never the null handle.
int HandleToFd(HANDLE handle) {
    return static_cast<int>(reinterpret_cast<std::intptr_t>(handle) - 1);
}
HANDLE FdToHandle(int fd) {
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(fd) + 1);
}

// The socket's buffer takes a whole request unless the peer stopped reading.
bool SendAll(int fd, const std::uint8_t* data, std::size_t length, Clock::time_point deadline) {
    while (length > 0) {
        ssize_t sent = send(fd, data, length, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && errno == EAGAIN) {
            pollfd entry{fd, POLLOUT, 0};
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0 || poll(&entry, 1, static_cast<int>(left.count()) + 1) < 0) {
                if (errno == EINTR) continue;
                return false;
            }
            continue;
        }
        if (sent <= 0) return false;
        data += sent;
        length -= static_cast<std::size_t>(sent);
    }
    return true;
}

// Reads the replies to `skipped` held-back calls, which carry no data and whose outcome
// nobody examines, then the reply header and, for a bulk read, its data straight into the
// caller's block, usually all in one system call.
bool ReceiveReply(int fd, std::uint32_t skipped, std::uint32_t code, void* out,
                  std::uint32_t outLen, std::uint8_t (&header)[kReplyHeaderBytes],
                  Clock::time_point deadline) {
    std::uint8_t discarded[kMaxPostedCalls * kReplyHeaderBytes];
    const std::size_t skip = std::size_t{skipped} * kReplyHeaderBytes;
    const bool withData = code == kIoctlBulkRead && outLen > 0;
    std::size_t expected = skip + kReplyHeaderBytes;
    std::size_t received = 0;
    while (received < expected) {
        iovec parts[3];
        int count = 0;
        if (received < skip) parts[count++] = {discarded + received, skip - received};
        const std::size_t own = received > skip ? received - skip : 0;
        if (own < kReplyHeaderBytes) parts[count++] = {header + own, kReplyHeaderBytes - own};
        if (withData) {
            std::size_t dataDone = own > kReplyHeaderBytes ? own - kReplyHeaderBytes : 0;
            parts[count++] = {static_cast<std::uint8_t*>(out) + dataDone, outLen - dataDone};
        }
        if (!WaitReadable(fd, deadline)) return false;
        ssize_t got = readv(fd, parts, count);
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (got <= 0) return false;
        const bool hadHeader = received >= skip + kReplyHeaderBytes;
        received += static_cast<std::size_t>(got);
        if (!hadHeader && received >= skip + kReplyHeaderBytes && code == kIoctlBulkRead) {
            std::uint32_t returned = ReadLe32(header + 4);
            if (returned > outLen) return false;
            expected = skip + kReplyHeaderBytes + returned;
        }
        if (received > expected) return false;
    }
    return true;
}

// Writes one request frame after `frame`'s current end.
void AppendFrame(std::vector<std::uint8_t>& frame, std::uint32_t code, const void* in,
                 std::uint32_t inLen, const void* out, std::uint32_t outLen) {
    const std::uint32_t sentOut = CarriesOutputToDevice(code) ? outLen : 0;
    const std::size_t at = frame.size();
    frame.resize(at + kRequestHeaderBytes + inLen + sentOut);
    std::uint8_t* p = frame.data() + at;
    WriteLe32(p, code);
    WriteLe32(p + 4, inLen);
    WriteLe32(p + 8, outLen);
    if (inLen > 0) std::memcpy(p + kRequestHeaderBytes, in, inLen);
    if (sentOut > 0) std::memcpy(p + kRequestHeaderBytes + inLen, out, sentOut);
}

// The calls this thread's operation holds back, all on one connection. Operations of one
// handle never run on two threads at once, and each settles before it returns.
struct Posted {
    int fd = -1;
    std::vector<std::uint8_t> frames;
    std::uint32_t calls = 0;

    std::uint32_t TakeFor(int connection) {
        if (connection != fd) return 0;
        const std::uint32_t taken = calls;
        fd = -1;
        calls = 0;
        return taken;
    }
};
thread_local Posted t_posted;

const char* RefusalText(FolderTrust trust) {
    switch (trust) {
        case FolderTrust::kForeignOwner:
            return "驱动实例文件夹不属于当前用户，拒绝使用：";
        case FolderTrust::kWritableByOthers:
            return "驱动实例文件夹可被其他用户写入，拒绝使用：";
        default:
            return "驱动实例路径不是文件夹，拒绝使用：";
    }
}

// A folder someone else may have planted is never used. The refusal is told once, not for
// each of the sixteen instances an open tries, and again only after the folder changed.
bool UsableFolder(const std::string& folder) {
    static std::mutex mutex;
    static std::string lastRefusal;
    const FolderTrust trust = CheckInstanceFolder(folder);
    std::lock_guard<std::mutex> lock(mutex);
    if (trust == FolderTrust::kTrusted || trust == FolderTrust::kMissing) {
        lastRefusal.clear();
        return trust == FolderTrust::kTrusted;
    }
    const std::string text = RefusalText(trust) + folder;
    if (text != lastRefusal) {
        ShowMessage(text.c_str(), kErrorCaption);
        lastRefusal = text;
    }
    return false;
}

class UnixSocketDriver : public Driver {
  public:
    HANDLE Open(int instance) override {
        if (instance < 0 || instance >= kInstanceCount) return nullptr;
        const std::string folder = InstanceFolder();
        if (!UsableFolder(folder)) return nullptr;
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::string path = InstancePathIn(folder, instance);
        if (path.size() >= sizeof(address.sun_path)) return nullptr;
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

        int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return nullptr;
        if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            close(fd);
            return nullptr;
        }
        return FdToHandle(fd);
    }

    void Close(HANDLE handle) override {
        if (handle == nullptr) return;
        t_posted.TakeFor(HandleToFd(handle));
        close(HandleToFd(handle));
    }

    bool Control(HANDLE handle, std::uint32_t code, const void* in, std::uint32_t inLen, void* out,
                 std::uint32_t outLen, std::uint32_t* returned) override {
        if (returned != nullptr) *returned = 0;
        if (handle == nullptr || (outLen > 0 && out == nullptr)) return false;
        const int fd = HandleToFd(handle);
        if (t_posted.calls > 0 && t_posted.fd != fd) Settle(FdToHandle(t_posted.fd));
        // The held-back calls go first, in the same send.
        std::vector<std::uint8_t>& frame = t_posted.frames;
        const std::uint32_t skipped = t_posted.TakeFor(fd);
        if (skipped == 0) frame.clear();
        AppendFrame(frame, code, in, inLen, out, outLen);
        std::uint8_t header[kReplyHeaderBytes];
        const bool answered = Exchange(fd, frame, skipped, code, out, outLen, header);
        frame.clear();
        if (!answered) return false;
        const std::uint32_t got = ReadLe32(header + 4);
        if (returned != nullptr) *returned = got;
        return ReadLe32(header) == 1 && (code != kIoctlBulkRead || got == outLen);
    }

    bool Post(HANDLE handle, std::uint32_t code, const void* in, std::uint32_t inLen,
              const void* out, std::uint32_t outLen) override {
        if (handle == nullptr || !CarriesOutputToDevice(code) || (outLen > 0 && out == nullptr)) {
            return false;
        }
        const int fd = HandleToFd(handle);
        if (t_posted.calls > 0 && (t_posted.fd != fd || t_posted.calls == kMaxPostedCalls)) {
            Settle(FdToHandle(t_posted.fd));
        }
        if (t_posted.calls == 0) t_posted.frames.clear();
        AppendFrame(t_posted.frames, code, in, inLen, out, outLen);
        t_posted.fd = fd;
        ++t_posted.calls;
        return true;
    }

    bool Settle(HANDLE handle) override {
        if (handle == nullptr) return true;
        const int fd = HandleToFd(handle);
        const std::uint32_t calls = t_posted.TakeFor(fd);
        if (calls == 0) return true;
        // The last held-back call's reply stands in for a call of our own.
        std::uint8_t header[kReplyHeaderBytes];
        const bool answered =
            Exchange(fd, t_posted.frames, calls - 1, kIoctlBulkWrite, nullptr, 0, header);
        t_posted.frames.clear();
        return answered;
    }

  private:
    // Sends the frames and takes the replies, each request within one deadline.
    static bool Exchange(int fd, const std::vector<std::uint8_t>& frames, std::uint32_t skipped,
                         std::uint32_t code, void* out, std::uint32_t outLen,
                         std::uint8_t (&header)[kReplyHeaderBytes]) {
        const Clock::time_point deadline = RequestDeadline();
        const bool answered = Clock::now() < deadline &&
                              SendAll(fd, frames.data(), frames.size(), deadline) &&
                              ReceiveReply(fd, skipped, code, out, outLen, header, deadline);
        if (!answered) {
            // The stream is out of step with the peer, or the peer is too slow to be trusted
            // with the rest of the operation: the handle is good only for closing.
            shutdown(fd, SHUT_RDWR);
        }
        return answered;
    }
};

}  // namespace

Driver& SocketDriver() {
    static UnixSocketDriver driver;
    return driver;
}

}  // namespace dqx7460
