// Which driver serves the library when no other was installed with SetDriver:
// $DQX7460_DRIVER = "socket" or "usb"; when it is not set or empty, the socket driver if the
// instance folder holds an EZUSB-* socket, else the USB driver. The choice is made afresh at
// every instance open, so a simulator started after the program is found by the next
// DQX7460_DeviceOpen; a handle stays with the driver that opened it.
#pragma once

#include <string>

#include "driver.h"

namespace dqx7460 {

enum class DriverKind { kSocket, kUsb, kNone };

// kNone (reported once) when $DQX7460_DRIVER names no driver.
DriverKind ChooseDriverKind();

// True when the folder holds a Unix socket named EZUSB-<anything>.
bool HoldsInstanceSocket(const std::string& folder);

// The driver that makes the choice above at each open and passes each handle's calls to the
// driver that opened it; handles it did not open go to the socket driver.
Driver& DefaultDriver();

// Writes a problem with the drivers' configuration to stderr, each distinct text once per
// process. Not through the message hook: the operator's one message from the library is
// the device-number box.
void ReportDriverProblem(const std::string& text);

}  // namespace dqx7460
