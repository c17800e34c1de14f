// The names of the settings fields, as the settings dialog labels them and as the messages
// about the settings name them.
#pragma once

#include <cstddef>
#include <string>

// A field's name (UTF-8) by its index in file order; a channel's field is named without
// its channel, which the dialog's group box shows. Empty beyond the last field.
const char* SettingsFieldName(std::size_t field);
// The field's label in the settings dialog (UTF-8): its name, for some fields set on two
// lines with the range it takes.
const char* SettingsFieldDialogLabel(std::size_t field);
// The field's name (GBK), with its channel for the per-channel fields: "(1)通道 阻尼".
std::string SettingsFieldLabel(std::size_t field);
