// A moment as local time text: the files', the store's and the messages' time stamps.
#pragma once

#include <ctime>
#include <string>

// The form the results store keeps times in: "2026-03-07 14:05:09".
inline constexpr char kStoreTimeFormat[] = "%Y-%m-%d %H:%M:%S";

// `when` in local time, by a strftime format.
std::string LocalTimeText(std::time_t when, const char* format);
