// The driver where the vendor's kernel driver does not exist: instance EZUSB-<d> is the
// Unix stream socket <folder>/EZUSB-<d>; one connection is one handle; each device-control
// call is one request frame and one reply frame (socket_frame.h).
// A peer that closes, a short transfer, a malformed reply or a peer silent for longer than
// the call's deadline (deadline.h), however the peer paces its bytes, fails the call and
// breaks the connection: every later call on that handle fails at once, and the handle is
// good only for closing. A bulk read answered with fewer bytes than asked fails as well.
#pragma once

#include "deadline.h"
#include "driver.h"
#include "instance_path.h"
#include "socket_frame.h"

namespace dqx7460 {

// The process's one socket driver, the driver in use unless SetDriver installed another.
Driver& SocketDriver();

}  // namespace dqx7460
