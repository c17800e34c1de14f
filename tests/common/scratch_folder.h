// A private folder for one test, removed with all it holds when the helper ends; while
// entered it is the working directory, and the one before comes back at the end. It lives in
// /tmp whatever TMPDIR says: the simulator's socket paths inside it must stay short.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

class ScratchFolder {
  public:
    explicit ScratchFolder(const std::string& prefix = "velmora") {
        std::string pattern = "/tmp/" + prefix + "-XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (!previous_.empty()) std::filesystem::current_path(previous_, ignored);
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // False when no folder could be made; Path() is then empty.
    bool Made() const { return !path_.empty(); }
    const std::string& Path() const { return path_; }
    // The path of `name` inside the folder.
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

    // Makes the folder, or its existing subfolder `sub`, the working directory.
    bool Enter(const std::string& sub = std::string()) {
        if (!Made()) return false;
        std::error_code error;
        const std::filesystem::path before = std::filesystem::current_path(error);
        if (error) return false;
        std::filesystem::current_path(sub.empty() ? path_ : *this / sub, error);
        if (error) return false;
        if (previous_.empty()) previous_ = before;
        return true;
    }

  private:
    std::string path_;
    std::filesystem::path previous_;
};
