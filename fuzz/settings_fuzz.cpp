// The settings file reader: any bytes as MyTestSet.dat, then the parse of every field and a
// save of what was read.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "settings/settings_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Settings settings;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    settings.Load(in);
    settings.Parse();
    std::ostringstream out;
    settings.Save(out);
    if (out.str().size() != kSettingsBytes) __builtin_trap();
    return 0;
}
