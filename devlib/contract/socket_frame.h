// The socket frame of a driver instance, as the library's socket driver sends it and the
// simulator serves it: one request frame and one reply frame per device-control call, u32
// little-endian fields:
//   request: code, in_len, out_len, in bytes, then out bytes for the vendor request and the
//            bulk write only
//   reply:   ok, returned, then `returned` bytes for the bulk read only (returned <= out_len)
// and the wait both ends use for the other's bytes.
#pragma once

#include <poll.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <ctime>

#include "driver.h"

namespace dqx7460 {

constexpr std::uint32_t kRequestHeaderBytes = 12;
constexpr std::uint32_t kReplyHeaderBytes = 8;

// The vendor request and the bulk write send their output buffer along with the request.
inline bool CarriesOutputToDevice(std::uint32_t code) {
    return code == kIoctlVendorRequest || code == kIoctlBulkWrite;
}

// Waits until the socket has data, or the peer closed it, or the deadline passes (false).
// It sleeps in the kernel from the start: polling the socket first would keep a processor
// busy through every request's wait (an idle program and its simulator make hundreds of
// requests a second) and, on a small machine, hold off the very peer it waits for.
inline bool WaitReadable(int fd, std::chrono::steady_clock::time_point deadline) {
    pollfd entry{fd, POLLIN, 0};
    for (;;) {
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= left.zero()) return false;
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
        const auto nanoseconds =
            std::chrono::duration_cast<std::chrono::nanoseconds>(left - seconds);
        const timespec timeout{static_cast<time_t>(seconds.count()),
                               static_cast<long>(nanoseconds.count())};
        const int ready = ppoll(&entry, 1, &timeout, nullptr);
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
    }
}

}  // namespace dqx7460
