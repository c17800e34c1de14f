// The fuzz input as a file that the archive reader opens: written to test.dat in a scratch
// folder made once for the whole run.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

inline const std::string& ScratchFolder() {
    static const std::string folder = [] {
        char pattern[] = "/tmp/velmora-fuzz-XXXXXX";
        if (mkdtemp(pattern) == nullptr) std::abort();
        return std::string(pattern);
    }();
    return folder;
}

inline std::string WriteScratchArchive(const std::uint8_t* data, std::size_t size) {
    const std::string archive = ScratchFolder() + "/test.dat";
    std::FILE* file = std::fopen(archive.c_str(), "wb");
    if (file == nullptr) std::abort();
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    return archive;
}
