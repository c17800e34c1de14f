// An in-process driver for tests of the card library: it records every driver call (opens,
// closes, device-control calls with their input and output bytes), tracks the read-back
// source each card has selected, and answers bulk reads from per-source scripts, from a
// sample-word generator for the A/D stream, or with the card's device number.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <vector>

#include "card_protocol.h"
#include "driver.h"

namespace devlib_test {

using dqx7460::kIoctlBulkRead;
using dqx7460::kIoctlBulkWrite;
using dqx7460::kIoctlVendorRequest;

struct DriverCall {
    enum Kind { kOpen, kOpenFailed, kClose, kControl };
    Kind kind = kControl;
    int instance = -1;
    std::uint32_t code = 0;
    std::vector<std::uint8_t> in;
    // Bytes sent to the device (vendor request, bulk write) or delivered by a bulk read.
    std::vector<std::uint8_t> out;
    std::uint32_t outLen = 0;
    bool failed = false;
};

struct RegisterWrite {
    int instance;
    WORD reg;
    WORD value;
    bool operator==(const RegisterWrite& other) const {
        return instance == other.instance && reg == other.reg && value == other.value;
    }
};

// The little-endian bytes of a block of sample words or 16-bit values.
template <typename Word>
std::vector<std::uint8_t> BytesOf(const std::vector<Word>& words) {
    std::vector<std::uint8_t> bytes(words.size() * sizeof(Word));
    std::memcpy(bytes.data(), words.data(), bytes.size());
    return bytes;
}

class RecordingDriver : public dqx7460::Driver {
  public:
    static HANDLE HandleOf(int instance) {
        return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(instance) + 1);
    }
    static int InstanceOf(HANDLE handle) {
        return static_cast<int>(reinterpret_cast<std::intptr_t>(handle) - 1);
    }

    // A card on driver instance `instance` that reports `deviceNumber` on source 4.
    void AddCard(int instance, WORD deviceNumber) { cards_[instance] = deviceNumber; }

    // The next bulk read of `source` delivers `block` (zeros after it).
    void QueueBlock(WORD source, std::vector<std::uint8_t> block) {
        scripts_[source].push_back(std::move(block));
    }

    // Sample words of the A/D stream by position, once the script of source 0 is used up.
    std::function<ULONG(std::uint64_t)> stream;
    // Return true to make that device-control call fail (it is still recorded).
    std::function<bool(const DriverCall&)> failWhen;
    // A bulk read reports at most this many bytes delivered, and succeeds.
    std::uint32_t readLimit = UINT32_MAX;

    std::vector<DriverCall> calls;

    HANDLE Open(int instance) override {
        DriverCall call;
        call.instance = instance;
        call.kind = cards_.count(instance) ? DriverCall::kOpen : DriverCall::kOpenFailed;
        calls.push_back(call);
        return call.kind == DriverCall::kOpen ? HandleOf(instance) : nullptr;
    }

    void Close(HANDLE handle) override {
        DriverCall call;
        call.kind = DriverCall::kClose;
        call.instance = InstanceOf(handle);
        calls.push_back(call);
    }

    bool Control(HANDLE handle, std::uint32_t code, const void* in, std::uint32_t inLen, void* out,
                 std::uint32_t outLen, std::uint32_t* returned) override {
        DriverCall call;
        call.instance = InstanceOf(handle);
        call.code = code;
        call.in.assign(static_cast<const std::uint8_t*>(in),
                       static_cast<const std::uint8_t*>(in) + inLen);
        call.outLen = outLen;
        if (code != kIoctlBulkRead) {
            call.out.assign(static_cast<const std::uint8_t*>(out),
                            static_cast<const std::uint8_t*>(out) + outLen);
        }
        call.failed = failWhen && failWhen(call);
        if (!call.failed) {
            if (code == kIoctlBulkWrite && outLen == dqx7460::kRegisterWriteBytes) {
                const auto* bytes = static_cast<const std::uint8_t*>(out);
                if (dqx7460::ReadLe16(bytes) == dqx7460::kRegReadSource) {
                    sources_[call.instance] = dqx7460::ReadLe16(bytes + 2);
                }
            }
            if (code == kIoctlBulkRead) {
                auto* bytes = static_cast<std::uint8_t*>(out);
                FillBlock(call.instance, bytes, std::min(outLen, readLimit));
                call.out.assign(bytes, bytes + outLen);
            }
        }
        calls.push_back(std::move(call));
        if (returned != nullptr) {
            *returned = calls.back().failed      ? 0
                        : code == kIoctlBulkRead ? std::min(outLen, readLimit)
                                                 : outLen;
        }
        return !calls.back().failed;
    }

    // Register writes that reached the device, decoded, in order.
    std::vector<RegisterWrite> Writes() const {
        std::vector<RegisterWrite> writes;
        for (const DriverCall& call : calls) {
            if (call.kind == DriverCall::kControl && call.code == kIoctlBulkWrite && !call.failed &&
                call.out.size() == dqx7460::kRegisterWriteBytes) {
                writes.push_back({call.instance, dqx7460::ReadLe16(call.out.data()),
                                  dqx7460::ReadLe16(call.out.data() + 2)});
            }
        }
        return writes;
    }

    std::size_t CountCalls(std::uint32_t code) const {
        return std::count_if(calls.begin(), calls.end(), [&](const DriverCall& call) {
            return call.kind == DriverCall::kControl && call.code == code;
        });
    }

  private:
    void FillBlock(int instance, std::uint8_t* bytes, std::uint32_t length) {
        std::memset(bytes, 0, length);
        const WORD source = sources_[instance];
        auto script = scripts_.find(source);
        if (script != scripts_.end() && !script->second.empty()) {
            const std::vector<std::uint8_t>& block = script->second.front();
            std::memcpy(bytes, block.data(), std::min<std::size_t>(block.size(), length));
            script->second.pop_front();
        } else if (source == dqx7460::kSourceAdStream && stream) {
            for (std::uint32_t at = 0; at + sizeof(ULONG) <= length; at += sizeof(ULONG)) {
                ULONG word = stream(streamPosition_++);
                std::memcpy(bytes + at, &word, sizeof word);
            }
        } else if (source == dqx7460::kSourceDeviceNumber &&
                   length >= dqx7460::kDeviceNumberOffset + sizeof(WORD)) {
            const WORD number = cards_[instance];
            std::memcpy(bytes + dqx7460::kDeviceNumberOffset, &number, sizeof number);
        }
    }

    std::map<int, WORD> cards_;
    std::map<int, WORD> sources_;
    std::map<WORD, std::deque<std::vector<std::uint8_t>>> scripts_;
    std::uint64_t streamPosition_ = 0;
};

// Sample words of the A/D stream.
using dqx7460::kStartMarker;
constexpr ULONG kFillerChannel = 31;
inline ULONG Sample(ULONG channel, ULONG code, bool trigger = false) {
    return (channel << dqx7460::kSampleChannelShift) | code |
           (trigger ? dqx7460::kSampleTriggerFlag : 0);
}

}  // namespace devlib_test
