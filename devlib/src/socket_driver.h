// The driver where the vendor's kernel driver does not exist: instance EZUSB-<d> is the
// Unix stream socket <folder>/EZUSB-<d>; one connection is one handle; each device-control
// call is one request frame and one reply frame, u32 little-endian fields:
//   request: code, in_len, out_len, in bytes, then out bytes for the vendor request and the
//            bulk write only
//   reply:   ok, returned, then `returned` bytes for the bulk read only (returned <= out_len)
// A peer that closes, a short transfer, a malformed reply or a peer silent for longer than
// the reply timeout fails the call and breaks the connection: every later call on that
// handle fails at once, and the handle is good only for closing.
#pragma once

#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <cstdint>

#include "driver.h"
#include "instance_path.h"

namespace dqx7460 {

constexpr std::uint32_t kRequestHeaderBytes = 12;
constexpr std::uint32_t kReplyHeaderBytes = 8;

// The vendor request and the bulk write send their output buffer along with the request.
inline bool CarriesOutputToDevice(std::uint32_t code) {
    return code == kIoctlVendorRequest || code == kIoctlBulkWrite;
}

// Waits for data on the socket by polling it for a few microseconds before the caller's
// blocking read. Request and reply follow each other within microseconds; a peer that
// sleeps in between pays a wake-up of tens of microseconds per message on an idle virtual
// machine, which would cut the register writes per second by two thirds.
inline void SpinUntilReadable(int fd) {
    constexpr auto kSpin = std::chrono::microseconds(50);
    const auto until = std::chrono::steady_clock::now() + kSpin;
    char byte;
    while (recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) < 0 && errno == EAGAIN &&
           std::chrono::steady_clock::now() < until) {
    }
}

// How long a connection waits for a peer to take or answer a request before the call
// fails; applies to connections opened afterwards.
constexpr std::chrono::milliseconds kDefaultReplyTimeout{3000};
void SetReplyTimeout(std::chrono::milliseconds timeout);

// The process's one socket driver, the driver in use unless SetDriver installed another.
Driver& SocketDriver();

}  // namespace dqx7460
