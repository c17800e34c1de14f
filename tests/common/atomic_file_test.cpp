#include "common/atomic_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

namespace {
std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
}  // namespace

TEST(AtomicFile, ReplacesTheFileWholeAndLeavesNoTemporary) {
    char dir[] = "/tmp/velmora-atomic-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    fs::path file = fs::path(dir) / "a.dat";
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(file, std::string(1000, 'x'), &error)) << error;
    ASSERT_TRUE(WriteFileAtomically(file, "short", &error)) << error;
    EXPECT_EQ(ReadAll(file), "short");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    fs::remove_all(dir);
}

TEST(AtomicFile, FailureNamesTheFileAndKeepsTheOldOne) {
    std::string error;
    EXPECT_FALSE(WriteFileAtomically("/nonexistent-folder/x.dat", "data", &error));
    EXPECT_NE(error.find("/nonexistent-folder/x.dat"), std::string::npos);
}
