// The checks that the settings dialog runs over the settings strings before it saves them,
// and the rule by which its edits take typed text. Texts and messages are GBK.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

struct Settings;

// Each check returns the message to show (caption "设置错误") when the text fails.

// Digits, '.' and '-' only; an empty text passes and the syntax is not examined.
std::optional<std::string> CheckCharacters(const std::string& text);
// The input range of one channel: the two limits must not be equal.
std::optional<std::string> CheckInputRange(const std::string& high, const std::string& low);
std::optional<std::string> CheckCoefficient(const std::string& coefficient);
std::optional<std::string> CheckResolution(const std::string& resolution);
std::optional<std::string> CheckOutputRange(const std::string& high, const std::string& low);
// Leading-integer range checks, bounds included.
std::optional<std::string> CheckAutoStopDelay(const std::string& text);
std::optional<std::string> CheckAutoReturnDelay(const std::string& text);
std::optional<std::string> CheckSamplePeriod(const std::string& text);
// The break value must be a whole number of at least 1 ("30.000" passes, "0.5" does not).
std::optional<std::string> CheckBreakValue(const std::string& text);
// A limit must be a number ("", "-", "5-" and "1.2.3" are not); `labelUtf8` names it.
std::optional<std::string> CheckLimitIsNumber(const char* labelUtf8, const std::string& text);
// A limit that trips at its leading integer (the forced stop, the break value) must lie below
// `reach`, the highest reading of channel 0, whose unit is `unitGbk`: one at or above it never
// trips.
std::optional<std::string> CheckLimitReach(const char* labelUtf8, const std::string& text,
                                           double reach, const std::string& unitGbk);
// One of the four input ranges that the input type's list offers.
std::optional<std::string> CheckInputType(const std::string& text);

// The highest reading channel 0 can give, from the parsed settings: the top or the bottom end
// of the input type's voltage range, whichever reads higher, through the coefficient and the
// range scaling of the conditioning, before any zero or preset. The card's converter stops just
// short of the range's ends, so the reading stays below this value.
double ChannelReach0(const Settings& settings);

// What the operator should know about settings that pass the checks, one note each (GBK):
// a forced-stop limit with a fraction, which trips at its whole part, and a channel whose
// unit is not the one in `before`, whose numbers were not converted.
std::vector<std::string> SettingsNotes(const Settings& before, const Settings& after);

// A refused settings field: its index in file order and the message of its check.
struct SettingsFailure {
    std::size_t field;
    std::string message;
};
// Runs every check over the current settings strings in the dialog's order and returns
// the first failure, or nothing when all pass. A settings file is held to the same checks
// as the dialog's OK.
std::optional<SettingsFailure> FindSettingsFailure(const Settings& settings);

// The message of FindSettingsFailure's failure.
std::optional<std::string> CheckSettings(const Settings& settings);

// Whether an edit takes a change from `before` to `after` (GBK): the text must keep within
// `byteLimit` bytes (0: no limit) unless the change shortens it, so that a stored text
// longer than the limit can still be cut down; with `digitsOnly` the inserted part must be
// digits, while deleting is always allowed.
bool AcceptsEntry(const std::string& before, const std::string& after, std::size_t byteLimit,
                  bool digitsOnly);
