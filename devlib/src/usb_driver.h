// The driver for a card on this machine's USB bus, through libusb-1.0.
//
// Instances are the attached USB devices whose vendor:product id is configured, ordered by
// bus number and then by port path: instance 0 is the first of them. Opening an instance
// claims interface 0 (detaching a kernel driver bound to it, re-attached at close). Pipe n
// of a bulk transfer is the n-th endpoint of that interface's descriptor; a device whose
// endpoint 0 is not bulk OUT and endpoint 1 not bulk IN is not the card and is not opened.
// The vendor request is a host-to-device vendor control transfer built from the request's
// fields, carrying the 16-byte data stage.
//
// Every transfer has a finite timeout. A timeout, stall, overflow, short transfer or
// unplugged device fails the call and breaks the handle: every later call on it fails
// without reaching the device, and the handle is good only for closing. Devices whose id
// is not configured are never opened: opening an instance writes the card's registers.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "driver.h"

namespace dqx7460 {

struct UsbId {
    std::uint16_t vendor;
    std::uint16_t product;
    bool operator==(const UsbId& other) const {
        return vendor == other.vendor && product == other.product;
    }
};

// Where the ids are listed when DQX7460_USB_IDS is not set or empty.
constexpr const char* kUsbIdsFile = "/etc/dqx7460/usb-ids";

// Entries vvvv:pppp (four hexadecimal digits each) separated by commas, blanks or line
// breaks; '#' starts a comment that runs to the end of its line. False, with the first
// malformed entry in *bad, when any entry is malformed.
bool ParseUsbIds(const std::string& text, std::vector<UsbId>* ids, std::string* bad);

// The ids the USB driver may open: $DQX7460_USB_IDS when set and not empty, else the ids
// file. Empty when none are configured or the list is malformed; the reason is reported
// once.
std::vector<UsbId> ConfiguredUsbIds();

// The ids file read when the environment names none; tests point it elsewhere.
void SetUsbIdsFile(const std::string& path);

// $DQX7460_USB_TIMEOUT_MS when it is a whole number from 1 to kLongestUsbTimeout, else the
// default. Never zero: libusb would wait forever.
constexpr std::chrono::milliseconds kDefaultUsbTimeout{3000};
constexpr std::chrono::milliseconds kLongestUsbTimeout{600000};
std::chrono::milliseconds UsbTimeout();

// The timeout a transfer gets: the configured one, cut to what is left of the call's
// deadline (deadline.h), so that no transfer waits past the operation's budget. At least
// 1 ms, as libusb takes 0 for no timeout at all.
unsigned TransferTimeoutMs(std::chrono::milliseconds configured,
                           std::chrono::steady_clock::duration left);

// The process's one USB driver.
Driver& UsbDriver();

}  // namespace dqx7460
