// Conversion between the GBK (code page 936) byte strings that the program stores and
// measures, and UTF-8 / QString at the window's edge and at the file system.
#pragma once

#include <string>
#include <string_view>

// Bytes that are not valid GBK become U+FFFD; never fails.
std::string GbkToUtf8(std::string_view gbk);
// Characters that GBK cannot hold, and invalid UTF-8 bytes, become '?'; never fails.
std::string Utf8ToGbk(std::string_view utf8);
