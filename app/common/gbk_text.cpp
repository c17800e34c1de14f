#include "common/gbk_text.h"

#include <iconv.h>

#include <cerrno>

namespace {

// Bytes of the character at the start of `rest` that iconv could not convert: a whole
// well-formed UTF-8 sequence (a character GBK cannot hold), otherwise one byte.
size_t Utf8SequenceLength(const char* rest, size_t left) {
    unsigned char lead = static_cast<unsigned char>(rest[0]);
    size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 1;
    if (length > left || lead >= 0xF5) return 1;
    for (size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(rest[i]) & 0xC0) != 0x80) return 1;
    return length;
}

size_t OneByte(const char*, size_t) {
    return 1;
}

// Converts with iconv; each character that cannot be converted becomes `replacement` and
// is skipped, so that no input makes the conversion fail.
std::string Convert(const char* to, const char* from, std::string_view in,
                    std::string_view replacement, size_t (*badLength)(const char*, size_t)) {
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
        // at the end. Either way it is replaced and the rest goes on.
        size_t skip = badLength(src, srcLeft);
        out.append(replacement);
        src += skip;
        srcLeft -= skip;
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
    return Convert("UTF-8", "GBK", gbk, "\xEF\xBF\xBD", OneByte);
}

std::string Utf8ToGbk(std::string_view utf8) {
    return Convert("GBK", "UTF-8", utf8, "?", Utf8SequenceLength);
}
