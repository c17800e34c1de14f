// The readout texts of a test: its values as the readouts, the records list and the stored
// records show them, fixed width by channel and full scale. Conditioning writes them as it
// takes each reading, playback as it replays each record.
#include "run/readouts.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "common/number_text.h"
#include "run/run_state.h"
#include "settings/settings_record.h"

namespace {

static_assert(kHistoryDepth < kPeakSlot && kPeakSlot < kHistorySlots);

// The format row of a full scale: the first bound that exceeds it.
int FormatRow(double fullScale) {
    static const double kBounds[] = {10, 100, 1000, 10000, 100000, 1000000};
    int row = 0;
    for (double bound : kBounds) {
        if (bound > fullScale) return row;
        ++row;
    }
    return row;
}

constexpr int kPointRow = 5;  // "%06.0f" followed by "."

std::string FormatWithRow(int channel, int row, double value) {
    static const char* const kChannel0[] = {"%07.4f", "%07.3f", "%07.2f", "%07.1f",
                                            "%07.0f", "%06.0f", "%07.0f"};
    static const char* const kChannel1[] = {"%07.5f", "%07.4f", "%07.3f", "%07.2f",
                                            "%07.1f", "%06.0f", "%07.0f"};
    const char* format = channel == 0 ? kChannel0[row] : kChannel1[row];
    // 309 integer digits, a sign, a point and five decimals fit: no text is ever cut.
    char text[352];
    int length = FormatDouble(text, sizeof text, format, value);
    length = std::clamp(length, 0, static_cast<int>(sizeof text) - 2);
    if (row == kPointRow) text[length++] = '.';
    return std::string(text, static_cast<std::size_t>(length));
}

// The text of every slot is a function of its value and its format row alone, so a slot
// whose value and row are those of its last formatting keeps its text. While recording
// the histories move one slot per tick; the cache and the texts move with them, so a
// recorded tick formats only its new slots.
struct SlotCache {
    std::uint64_t bits[kFormattedSlots];
    int row[kFormattedSlots];
    std::string text[kFormattedSlots];
    SlotCache() { std::fill(std::begin(row), std::end(row), -1); }
};

SlotCache g_readoutCache[2];

std::uint64_t BitsOf(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

void FormatChannelSlots(int channel, const double* history, double fullScale,
                        std::string* readouts) {
    SlotCache& cache = g_readoutCache[channel];
    const int row = FormatRow(fullScale);
    for (int i = 0; i < kFormattedSlots; ++i) {
        const std::uint64_t bits = BitsOf(history[i]);
        if (cache.bits[i] == bits && cache.row[i] == row && readouts[i] == cache.text[i]) {
            continue;
        }
        cache.bits[i] = bits;
        cache.row[i] = row;
        cache.text[i] = FormatWithRow(channel, row, history[i]);
        readouts[i] = cache.text[i];
    }
}

// Moves the formatted texts of slots 0..499 to 1..500 along with their histories.
void ShiftFormattedSlots(int channel, std::string* readouts) {
    SlotCache& cache = g_readoutCache[channel];
    const int n = kHistoryDepth;
    std::copy_backward(cache.bits, cache.bits + n, cache.bits + n + 1);
    std::copy_backward(cache.row, cache.row + n, cache.row + n + 1);
    std::rotate(cache.text, cache.text + n, cache.text + n + 1);
    std::rotate(readouts, readouts + n, readouts + n + 1);
    // Slot 0 now holds slot 500's old text: it must be formatted again even when the new
    // value equals the previous one.
    cache.row[0] = -1;
}

}  // namespace

void ShiftHistory(double* history) {
    std::copy_backward(history, history + kHistoryDepth, history + kHistoryDepth + 1);
}

void ShiftReadouts(TestRun& run) {
    ShiftFormattedSlots(0, run.g_strReadout0);
    ShiftFormattedSlots(1, run.g_strReadout1);
}

void FormatReadouts(const Settings& settings, TestRun& run) {
    FormatChannelSlots(0, run.g_dHistory0, settings.g_dFullScale0, run.g_strReadout0);
    FormatChannelSlots(1, run.g_dHistory1, settings.g_dFullScale1, run.g_strReadout1);
    run.g_strRatio[0] = RatioReadout(run.g_dHistory0[0], run.g_dHistory1[0]);
}

std::string RatioReadout(double reading0, double reading1) {
    // The ratio kept for the chart after a zero divisor belongs to earlier readings.
    if (reading0 != reading1 && reading1 == 0) return kNoRatioReadout;
    return FormatRatio(reading0 == reading1 ? 1.0 : reading0 / reading1);
}

std::string FormatChannelValue(int channel, double value, double fullScale) {
    return FormatWithRow(channel == 0 ? 0 : 1, FormatRow(fullScale), value);
}

namespace {

// Seven characters with 3 decimals, fewer as the value grows past 100, 1000 and 10000.
std::string UpToThreeDecimals(double value) {
    const char* format = "%07.3f";
    if (value >= 10000 || value <= -10000) {
        format = "%07.0f";
    } else if (value >= 1000 || value <= -1000) {
        format = "%07.1f";
    } else if (value >= 100 || value <= -100) {
        format = "%07.2f";
    }
    char text[352];
    const int length = std::clamp(FormatDouble(text, sizeof text, format, value), 0,
                                  static_cast<int>(sizeof text) - 1);
    return std::string(text, static_cast<std::size_t>(length));
}

}  // namespace

std::string FormatRatio(double ratio) {
    return UpToThreeDecimals(ratio);
}
