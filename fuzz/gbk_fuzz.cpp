// The GBK helper both ways: any bytes as GBK, any bytes as UTF-8, and the round trip of
// what a GBK decode gives.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/gbk_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string utf8 = GbkToUtf8(bytes);
    const std::string gbk = Utf8ToGbk(utf8);
    Utf8ToGbk(bytes);
    // Text that decoded without a replacement character comes back byte for byte.
    if (utf8.find("\xEF\xBF\xBD") == std::string::npos && gbk != bytes) __builtin_trap();
    return 0;
}
