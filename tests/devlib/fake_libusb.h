// A test-only libusb-1.0: the functions the USB driver calls, over a bus of fake devices,
// linked into the test in place of the real library. A device with a sim::Card behind it
// answers as the card's firmware would: a vendor control transfer reaches the card as the
// vendor request, a transfer on the interface's k-th endpoint as a transfer on pipe k.
// Everything the driver does to a device is recorded.
#pragma once

#include <libusb.h>

#include <cstdint>
#include <vector>

#include "card.h"

namespace fake_usb {

struct Endpoint {
    std::uint8_t address;
    std::uint8_t attributes;  // LIBUSB_TRANSFER_TYPE_*
};

struct Device {
    std::uint8_t bus = 1;
    std::vector<std::uint8_t> ports;
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    // Of interface 0, in descriptor order.
    std::vector<Endpoint> endpoints;
    sim::Card* card = nullptr;
};

struct Call {
    enum Kind { kOpen, kClaim, kRelease, kClose, kControl, kBulk };
    Kind kind = kOpen;
    int device = -1;
    // Transfers: the setup fields of a control transfer, the endpoint of a bulk one.
    std::uint8_t requestType = 0;
    std::uint8_t request = 0;
    std::uint16_t value = 0;
    std::uint16_t index = 0;
    std::uint8_t endpoint = 0;
    std::vector<std::uint8_t> data;  // sent, or delivered
    unsigned timeout = 0;
    int result = 0;
};

// What a device does to one transfer instead of answering.
enum class Fault { kTimeout, kStall, kOverflow, kShort, kUnplug };

// Empties the bus and the record.
void Reset();
// Plugs a device in; returns its number for the record.
int Plug(const Device& device);
// The device's transfer after `transfersBefore` more transfers meets the fault. An unplug
// takes the device off the bus: every later transfer fails with LIBUSB_ERROR_NO_DEVICE.
void InjectFault(int device, int transfersBefore, Fault fault);

std::vector<Call> Calls();
// Whether a kernel driver is bound to the device's interface 0 (it is when plugged in).
bool KernelDriverBound(int device);
// Device lists, configuration descriptors and device handles not yet given back.
int Outstanding();

}  // namespace fake_usb
