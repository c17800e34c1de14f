// The socket frame of a driver instance, as the library's socket driver sends it and the
// simulator serves it: one request frame and one reply frame per device-control call, u32
// little-endian fields:
//   request: code, in_len, out_len, in bytes, then out bytes for the vendor request and the
//            bulk write only
//   reply:   ok, returned, then `returned` bytes for the bulk read only (returned <= out_len)
// and the wait both ends use for the other's bytes.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/socket.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>

#include "driver.h"

namespace dqx7460 {

constexpr std::uint32_t kRequestHeaderBytes = 12;
constexpr std::uint32_t kReplyHeaderBytes = 8;

// The vendor request and the bulk write send their output buffer along with the request.
inline bool CarriesOutputToDevice(std::uint32_t code) {
    return code == kIoctlVendorRequest || code == kIoctlBulkWrite;
}

// Whether the machine is crowded: besides this thread and the peer it waits for, at least
// as many threads are ready to run as there are processors. A yield then hands the
// processor to one of them for the rest of a scheduler tick (up to 4 ms), not to the peer.
// Read from the kernel's count of runnable threads at most every 100 ms; a machine that
// does not say is taken as not crowded.
inline bool MachineCrowded(std::chrono::steady_clock::time_point now) {
    constexpr std::chrono::milliseconds kRecount{100};
    thread_local std::chrono::steady_clock::time_point countedAt{};
    thread_local bool crowded = false;
    // The clock counts from boot, so a thread's first call always counts.
    if (now - countedAt < kRecount) return crowded;
    countedAt = now;
    crowded = false;
    const int fd = open("/proc/loadavg", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return crowded;
    char text[128];
    const ssize_t got = read(fd, text, sizeof text - 1);
    close(fd);
    if (got <= 0) return crowded;
    text[got] = '\0';
    // "0.85 1.88 2.38 3/112 24611": the fourth field counts runnable threads first.
    int runnable = 0;
    if (std::sscanf(text, "%*f %*f %*f %d/", &runnable) == 1)
        crowded = runnable >= get_nprocs() + 2;
    return crowded;
}

// Waits until the socket has data, or the peer closed it, or the deadline passes (false).
// While a burst of calls is under way (a scan is about a hundred of them back to back) the
// peer answers within microseconds, and polling the socket for a moment costs less than
// sleeping and being woken, which on a virtual machine takes tens of microseconds per
// message, and far longer when the other processor is busy. Outside a burst the wait
// sleeps at once, so an idle card costs next to no processor time.
// Each poll that finds nothing yields the processor: on a small machine both ends often
// share one, and a spin that kept it would only hold off the peer it waits for. On a
// crowded machine the spin keeps the processor instead and sleeps after its window: being
// woken by the reply gets the processor back at once, where a yield would wait for a tick.
inline bool WaitReadable(int fd, std::chrono::steady_clock::time_point deadline, bool spin) {
    constexpr std::chrono::microseconds kSpin{100};
    if (spin) {
        const auto start = std::chrono::steady_clock::now();
        const auto until = std::min(deadline, start + kSpin);
        const bool yield = !MachineCrowded(start);
        char byte;
        do {
            if (recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) >= 0 || errno != EAGAIN) return true;
            if (yield) sched_yield();
        } while (std::chrono::steady_clock::now() < until);
    }
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

// Whether a call that starts now continues a burst: the previous one ended moments ago.
class BurstClock {
  public:
    bool InBurst(std::chrono::steady_clock::time_point now) const {
        return now - lastEnd_ < kBurstGap;
    }
    void MarkEnd(std::chrono::steady_clock::time_point now) { lastEnd_ = now; }

  private:
    static constexpr std::chrono::microseconds kBurstGap{200};
    std::chrono::steady_clock::time_point lastEnd_{};
};

}  // namespace dqx7460
