// What the library takes from the platform it runs on: the driver every operation uses
// unless a test installs another, and where its message goes when the program set no hook.
#pragma once

#include "driver.h"

namespace dqx7460 {

// The vendor's kernel driver on Windows; elsewhere the socket or the USB driver, as
// driver_choice.h chooses.
Driver& DefaultDriver();

// A message box on Windows, standard error elsewhere; text and caption in UTF-8.
void ShowMessageWithoutHook(const char* text, const char* caption);

}  // namespace dqx7460
