#include "common/atomic_file.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "scratch_folder.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// What reached the disk, in order, while a test records: "sync file", "sync folder",
// "rename".
bool g_recording = false;
std::vector<std::string> g_events;

}  // namespace

// The program's calls of fsync and rename come here first, so that a test sees their order.
extern "C" int fsync(int fd) {
    using Fsync = int (*)(int);
    static auto real = reinterpret_cast<Fsync>(dlsym(RTLD_NEXT, "fsync"));
    if (g_recording) {
        struct stat info {};
        fstat(fd, &info);
        g_events.push_back(S_ISDIR(info.st_mode) ? "sync folder" : "sync file");
    }
    return real(fd);
}

extern "C" int rename(const char* from, const char* to) {
    using Rename = int (*)(const char*, const char*);
    static auto real = reinterpret_cast<Rename>(dlsym(RTLD_NEXT, "rename"));
    if (g_recording) g_events.push_back("rename");
    return real(from, to);
}

TEST(AtomicFile, ReplacesTheFileWholeAndLeavesNoTemporary) {
    const ScratchFolder scratch("velmora-atomic");
    ASSERT_TRUE(scratch.Made());
    const fs::path dir = scratch.Path();
    fs::path file = dir / "a.dat";
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(file, std::string(1000, 'x'), &error)) << error;
    ASSERT_TRUE(WriteFileAtomically(file, "short", &error)) << error;
    EXPECT_EQ(ReadAll(file), "short");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST(AtomicFile, FailureNamesTheFileAndKeepsTheOldOne) {
    std::string error;
    EXPECT_FALSE(WriteFileAtomically("/nonexistent-folder/x.dat", "data", &error));
    EXPECT_NE(error.find("/nonexistent-folder/x.dat"), std::string::npos);
}

// A power cut must find either the old file or the whole new one under the final name: the
// bytes are synced before the rename, and the folder after it.
TEST(AtomicFile, BytesReachTheDiskBeforeTheRenameAndTheRenameBeforeReturning) {
    const ScratchFolder scratch("velmora-atomic");
    ASSERT_TRUE(scratch.Made());
    const fs::path dir = scratch.Path();
    g_events.clear();
    g_recording = true;
    const bool written = WriteFileAtomically(dir / "a.dat", "data", nullptr);
    g_recording = false;
    ASSERT_TRUE(written);
    EXPECT_EQ(g_events, (std::vector<std::string>{"sync file", "rename", "sync folder"}));
}

TEST(AtomicFile, NewFilesTakeTheModeTheUmaskGives) {
    const ScratchFolder scratch("velmora-atomic");
    ASSERT_TRUE(scratch.Made());
    const fs::path dir = scratch.Path();
    const struct {
        mode_t umask;
        mode_t mode;
    } cases[] = {{022, 0644}, {027, 0640}, {077, 0600}, {002, 0664}};
    for (const auto& c : cases) {
        const mode_t previous = umask(c.umask);
        const fs::path file = dir / ("umask" + std::to_string(c.umask));
        const bool written = WriteFileAtomically(file, "data", nullptr);
        umask(previous);
        ASSERT_TRUE(written);
        struct stat info {};
        ASSERT_EQ(stat(file.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, c.mode) << "umask " << std::oct << c.umask;
    }
}

TEST(AtomicFile, CreatingNeverReplacesAndLeavesNoTemporary) {
    const ScratchFolder scratch("velmora-atomic");
    ASSERT_TRUE(scratch.Made());
    const fs::path dir = scratch.Path();
    const fs::path file = dir / "a.dat";
    std::string error;
    bool existed = true;
    ASSERT_TRUE(CreateFileAtomically(file, "first", &error, &existed)) << error;
    EXPECT_FALSE(existed);
    EXPECT_FALSE(CreateFileAtomically(file, "second", &error, &existed));
    EXPECT_TRUE(existed);
    EXPECT_NE(error.find(file.string()), std::string::npos) << error;
    EXPECT_EQ(ReadAll(file), "first");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

    EXPECT_FALSE(CreateFileAtomically(dir / "missing" / "b.dat", "x", &error, &existed));
    EXPECT_FALSE(existed);

    const fs::path other = dir / "b.dat";
    std::ofstream(other) << "other";
    EXPECT_FALSE(RenameWithoutReplacing(other, file));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(ReadAll(file), "first");
    EXPECT_TRUE(RenameWithoutReplacing(other, dir / "c.dat"));
    EXPECT_FALSE(fs::exists(other));
    EXPECT_EQ(ReadAll(dir / "c.dat"), "other");
}

TEST(ReadFilePrefix, ReadsARegularFileAndRefusesEverythingElseAtOnce) {
    const ScratchFolder scratch("velmora-atomic");
    ASSERT_TRUE(scratch.Made());
    const fs::path dir = scratch.Path();
    const fs::path file = dir / "file";
    const fs::path fifo = dir / "fifo";
    const fs::path device = dir / "device";
    const fs::path missing = dir / "missing";
    ASSERT_TRUE(WriteFileAtomically(file, "0123456789", nullptr));
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", device);

    std::string bytes, error;
    int reason = -1;
    ASSERT_TRUE(ReadFilePrefix(file, 4, &bytes, &error, &reason));
    EXPECT_EQ(bytes, "0123");
    EXPECT_EQ(reason, 0);
    ASSERT_TRUE(ReadFilePrefix(file, 100, &bytes, &error));
    EXPECT_EQ(bytes, "0123456789");

    const struct {
        fs::path path;
        int reason;
    } refused[] = {{fifo, EINVAL}, {device, EINVAL}, {dir, EISDIR}, {missing, ENOENT}};
    for (const auto& r : refused) {
        bytes = "kept";
        error.clear();
        EXPECT_FALSE(ReadFilePrefix(r.path, 380, &bytes, &error, &reason)) << r.path;
        EXPECT_EQ(reason, r.reason) << r.path;
        EXPECT_EQ(bytes, "kept");
        EXPECT_NE(error.find(r.path.string()), std::string::npos) << error;
    }
}

// Side files are read whole, but only up to a bound: a file far longer than the program
// writes (or a link to an endless device) never fills the memory.
TEST(ReadBoundedFile, ReadsUpToItsBoundAndRefusesLongerFilesAndNonFiles) {
    const ScratchFolder scratch("velmora-atomic");
    ASSERT_TRUE(scratch.Made());
    const fs::path dir = scratch.Path();
    const fs::path file = dir / "file";
    const fs::path huge = dir / "huge";
    const fs::path fifo = dir / "fifo";
    const fs::path zero = dir / "zero";
    ASSERT_TRUE(WriteFileAtomically(file, "0123456789", nullptr));
    // 300 MB without writing them: a sparse file.
    { std::ofstream(huge.string()); }
    fs::resize_file(huge, 300u << 20);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", zero);

    std::string bytes, error;
    int reason = -1;
    ASSERT_TRUE(ReadBoundedFile(file, 10, &bytes, &error, &reason));
    EXPECT_EQ(bytes, "0123456789");
    EXPECT_EQ(reason, 0);

    const struct {
        fs::path path;
        int reason;
    } refused[] = {{file, EFBIG}, {huge, EFBIG}, {fifo, EINVAL}, {zero, EINVAL}};
    for (const auto& r : refused) {
        bytes = "kept";
        EXPECT_FALSE(ReadBoundedFile(r.path, 9, &bytes, &error, &reason)) << r.path;
        EXPECT_EQ(reason, r.reason) << r.path;
        EXPECT_EQ(bytes, "kept");
        EXPECT_NE(error.find(r.path.string()), std::string::npos) << error;
    }
}
