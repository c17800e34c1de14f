// A recording card for the library's driver seam: it accepts every arm request, records
// every register write and answers bulk reads from the test's stream generator. Thread-safe,
// since the high-speed worker reads while the test thread writes registers.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

#include "driver.h"

constexpr std::uint32_t kStartMarker = 0x0060000F;
constexpr std::uint32_t kTriggerFlag = 1u << 21;

inline std::uint32_t SampleWord(int channel, std::uint16_t code) {
    return static_cast<std::uint32_t>(channel) << 16 | code;
}

class FakeCardDriver : public dqx7460::Driver {
  public:
    using RegisterWrite = std::pair<std::uint16_t, std::uint16_t>;
    // Fills one bulk read with its words.
    using Stream = std::function<void(std::uint32_t* words, std::size_t count)>;

    FakeCardDriver() { dqx7460::SetDriver(this); }
    ~FakeCardDriver() override { dqx7460::SetDriver(nullptr); }

    HANDLE Handle() { return this; }

    void SetStream(Stream stream) {
        std::lock_guard<std::mutex> lock(mutex_);
        stream_ = std::move(stream);
    }
    std::vector<RegisterWrite> Writes() {
        std::lock_guard<std::mutex> lock(mutex_);
        return writes_;
    }
    void ClearWrites() {
        std::lock_guard<std::mutex> lock(mutex_);
        writes_.clear();
    }
    int Reads() {
        std::lock_guard<std::mutex> lock(mutex_);
        return reads_;
    }
    // Bulk reads fail from now on, as on a card that stopped answering.
    void FailReads() {
        std::lock_guard<std::mutex> lock(mutex_);
        failReads_ = true;
    }

    HANDLE Open(int) override { return this; }
    void Close(HANDLE) override {}
    bool Control(HANDLE, std::uint32_t code, const void*, std::uint32_t, void* out,
                 std::uint32_t outLen, std::uint32_t* returned) override {
        std::lock_guard<std::mutex> lock(mutex_);
        *returned = outLen;
        if (code == dqx7460::kIoctlBulkWrite && outLen == 4) {
            const auto* bytes = static_cast<const std::uint8_t*>(out);
            writes_.emplace_back(bytes[0] | bytes[1] << 8, bytes[2] | bytes[3] << 8);
        } else if (code == dqx7460::kIoctlBulkRead) {
            ++reads_;
            if (failReads_) return false;
            std::vector<std::uint32_t> words(outLen / 4, 0);
            if (stream_) stream_(words.data(), words.size());
            std::memcpy(out, words.data(), words.size() * 4);
        }
        return true;
    }

  private:
    std::mutex mutex_;
    Stream stream_;
    std::vector<RegisterWrite> writes_;
    int reads_ = 0;
    bool failReads_ = false;
};
