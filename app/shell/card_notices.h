// The card's messages to the operator that do not come from the run controller: the card
// library's own message, and the end of a high-speed capture, told on the window's thread.
#pragma once

#include "acquisition/high_speed.h"

void ShowLibraryMessage(const char* text, const char* caption);
// Called on the worker's thread; the box is posted to the window's thread.
void PostHighSpeedFinished(HighSpeedEnd end);
