// The card's register protocol in the library: the two primitives every operation is built
// from (the register write, and the read-arm request followed by a bulk read), on the
// registers of card_registers.h.
#pragma once

#include <cstdint>

#include "DQX7460.h"
#include "card_registers.h"

namespace dqx7460 {

// Converts a conversion code with a range code, in extended precision as the card's
// ranges are tabled. False when the range code has no row for the polarity.
bool CodeToVolts(WORD code, WORD rangeCode, bool bipolar, double* volts);

// Driver instance EZUSB-<instance> through the installed driver; nullptr when absent.
HANDLE OpenInstance(int instance);
void CloseInstance(HANDLE handle);

// Primitive 1: register write (write-arm request, then the 4-byte bulk OUT). A failed arm
// request suppresses the write. A null handle sends nothing and fails.
bool WriteRegister(HANDLE handle, WORD reg, WORD value);

// A register write whose outcome the operation does not examine: the driver may send it
// with the operation's next call that waits for the card (see transport.cpp).
void PostRegister(HANDLE handle, WORD reg, WORD value);

// Primitive 2: read-back block (read-arm request, then the bulk read of the caller's block).
enum class BlockRead { kArmFailed, kReadFailed, kRead };
BlockRead ReadBlock(HANDLE handle, void* block, std::uint32_t bytes);

// The two halves, for the sequences that put register writes between them.
bool SendReadArm(HANDLE handle);
bool BulkRead(HANDLE handle, void* block, std::uint32_t bytes);

// Register 1 = 1, then 0: the card's reset pulse. True when both writes succeeded.
bool ResetPulse(HANDLE handle);
void PostResetPulse(HANDLE handle);

// The library's messages to the operator go through the hook the program set, else to
// stderr; text and caption in UTF-8.
constexpr const char* kErrorCaption = "错误";
void ShowMessage(const char* text, const char* caption);

}  // namespace dqx7460
