// The driver where the vendor's kernel driver does not exist: instance EZUSB-<d> is the
// Unix stream socket <folder>/EZUSB-<d>; one connection is one handle; each device-control
// call is one request frame and one reply frame, u32 little-endian fields:
//   request: code, in_len, out_len, in bytes, then out bytes for the vendor request and the
//            bulk write only
//   reply:   ok, returned, then `returned` bytes for the bulk read only (returned <= out_len)
// A peer that closes, a short transfer, a malformed reply or a peer silent for longer than
// the call's deadline (deadline.h), however the peer paces its bytes, fails the call and
// breaks the connection: every later call on that handle fails at once, and the handle is
// good only for closing. A bulk read answered with fewer bytes than asked fails as well.
#pragma once

#include <poll.h>
#include <sched.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <ctime>

#include "deadline.h"
#include "driver.h"
#include "instance_path.h"

namespace dqx7460 {

constexpr std::uint32_t kRequestHeaderBytes = 12;
constexpr std::uint32_t kReplyHeaderBytes = 8;

// The vendor request and the bulk write send their output buffer along with the request.
inline bool CarriesOutputToDevice(std::uint32_t code) {
    return code == kIoctlVendorRequest || code == kIoctlBulkWrite;
}

// Waits until the socket has data, or the peer closed it, or the deadline passes (false).
// While a burst of calls is under way (a scan is about a hundred of them back to back) the
// peer answers within microseconds, and polling the socket for a moment costs less than
// sleeping and being woken, which on a virtual machine takes tens of microseconds per
// message, and far longer when the other processor is busy. Each poll that finds nothing
// yields the processor: on a small machine both ends often share one, and a spin that kept
// it would only hold off the peer it waits for. Outside a burst the wait sleeps at once,
// so an idle card costs next to no processor time.
inline bool WaitReadable(int fd, Clock::time_point deadline, bool spin) {
    constexpr std::chrono::microseconds kSpin{100};
    if (spin) {
        const Clock::time_point until = std::min(deadline, Clock::now() + kSpin);
        char byte;
        do {
            if (recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) >= 0 || errno != EAGAIN) return true;
            sched_yield();
        } while (Clock::now() < until);
    }
    pollfd entry{fd, POLLIN, 0};
    for (;;) {
        const Clock::duration left = deadline - Clock::now();
        if (left <= Clock::duration::zero()) return false;
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

// Whether a call that starts now continues a burst: the previous one ended moments ago.
class BurstClock {
  public:
    bool InBurst(Clock::time_point now) const { return now - lastEnd_ < kBurstGap; }
    void MarkEnd(Clock::time_point now) { lastEnd_ = now; }

  private:
    static constexpr std::chrono::microseconds kBurstGap{200};
    Clock::time_point lastEnd_{};
};

// The process's one socket driver, the driver in use unless SetDriver installed another.
Driver& SocketDriver();

}  // namespace dqx7460
