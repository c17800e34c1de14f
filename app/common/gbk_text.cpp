#include "common/gbk_text.h"

#include <iconv.h>

#include <cerrno>

namespace {

// Converts with iconv, handing each byte that cannot be converted to `replace` and
// skipping it, so that no input makes the conversion fail.
std::string Convert(const char* to, const char* from, std::string_view in,
                    std::string_view replacement) {
    std::string out;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return out;
    out.reserve(in.size() * 2);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char chunk[512];
    while (srcLeft > 0) {
        char* dst = chunk;
        size_t dstLeft = sizeof chunk;
        size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(chunk, dst - chunk);
        if (rc != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // EILSEQ: an invalid or unconvertible character at src; EINVAL: an incomplete one
        // at the end. Either way one byte is replaced and the rest goes on.
        out.append(replacement);
        ++src;
        --srcLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    char* dst = chunk;
    size_t dstLeft = sizeof chunk;
    iconv(cd, nullptr, nullptr, &dst, &dstLeft);
    out.append(chunk, dst - chunk);
    iconv_close(cd);
    return out;
}

}  // namespace

std::string GbkToUtf8(std::string_view gbk) {
    return Convert("UTF-8", "GBK", gbk, "\xEF\xBF\xBD");
}

std::string Utf8ToGbk(std::string_view utf8) {
    return Convert("GBK", "UTF-8", utf8, "?");
}
