// The range of each input type. The card's set-up and single-scan reads and its high-speed
// capture program the card with them.
#pragma once

#include <string>

#include "DQX7460.h"

// Range code and polarity for an input-type text; false (outputs untouched) for any other.
bool InputTypeRange(const std::string& inputType, WORD* rangeCode, LONG* bipolar);
