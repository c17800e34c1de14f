// A comma-decimal locale (de_DE.UTF-8) that the test makes itself with localedef into a
// temporary folder, so that no installed locale is needed; LOCPATH points the C library at
// it. Entering it does what QApplication does when the operator's locale is German.
#pragma once

#include <stdlib.h>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <string>

#include "scratch_folder.h"

class CommaLocale {
  public:
    // Switches the process to the locale, made on first use; false, with a reason, when it
    // cannot be made or does not print numbers with a comma.
    static bool Enter(std::string* error) {
        static const CommaLocale made;
        if (!made.error_.empty()) {
            *error = made.error_;
            return false;
        }
        setenv("LOCPATH", made.folder_.Path().c_str(), 1);
        if (std::setlocale(LC_ALL, kName) == nullptr) {
            *error = std::string("setlocale refused ") + kName;
            return false;
        }
        char text[16];
        std::snprintf(text, sizeof text, "%.1f", 0.5);
        if (std::string(text) != "0,5") {
            Leave();
            *error = std::string("the locale prints 0.5 as ") + text;
            return false;
        }
        return true;
    }
    static void Leave() { std::setlocale(LC_ALL, "C"); }

  private:
    static constexpr const char* kName = "de_DE.UTF-8";

    CommaLocale() {
        if (!folder_.Made()) {
            error_ = "no temporary folder";
            return;
        }
        const std::string command =
            "localedef -i de_DE -f UTF-8 '" + folder_ / kName + "' >/dev/null 2>&1";
        // localedef may warn and exit 1 with a usable locale; the file decides.
        [[maybe_unused]] const int status = std::system(command.c_str());
        if (!std::filesystem::exists(folder_ / kName + "/LC_NUMERIC"))
            error_ = "localedef made no de_DE.UTF-8 (package locales)";
    }
    ScratchFolder folder_{"velmora-locale"};
    std::string error_;
};
