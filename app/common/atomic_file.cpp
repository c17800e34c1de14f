#include "common/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

#include "common/ui_text.h"

namespace {

// Six letters or digits, like mkstemp's, so that the temporary name is as long as before.
std::string TemporarySuffix() {
    static const char kAlphabet[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937 engine{std::random_device{}()};
    std::uniform_int_distribution<int> pick(0, sizeof kAlphabet - 2);
    std::string suffix(".");
    for (int i = 0; i < 6; ++i) suffix += kAlphabet[pick(engine)];
    return suffix;
}

// open() with a mode of 0666 lets the umask (or the folder's default ACL) decide, as for
// every other file the operator's programs create.
int CreateTemporary(const std::string& pathUtf8, std::string* temp) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        *temp = pathUtf8 + TemporarySuffix();
        int fd = ::open(temp->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

std::string FolderOf(const std::string& pathUtf8) {
    const std::size_t slash = pathUtf8.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : pathUtf8.substr(0, slash);
}

// The rename is a change of the folder: it is durable once the folder is synced. A file
// system that cannot sync a folder (EINVAL) has nothing more to offer.
bool SyncFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return synced;
}

bool WriteAll(int fd, const std::string& bytes) {
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, data, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// Puts the written temporary file at the path, replacing what is there or not.
bool PlaceFile(const std::string& temp, const std::string& pathUtf8, bool replace) {
    return replace ? std::rename(temp.c_str(), pathUtf8.c_str()) == 0
                   : RenameWithoutReplacing(temp, pathUtf8);
}

bool WriteAndPlace(const std::string& pathUtf8, const std::string& bytes, bool replace,
                   std::string* errorUtf8, bool* existed) {
    if (existed) *existed = false;
    auto fail = [&](const std::string& what) {
        if (errorUtf8) *errorUtf8 = ui::Fill(what, {pathUtf8, std::strerror(errno)});
        return false;
    };
    std::string temp;
    int fd = CreateTemporary(pathUtf8, &temp);
    if (fd < 0) return fail(ui::translate("FileAccess", "文件无法创建：%1 (%2)"));
    // Synced before the rename: a power cut never leaves an empty or partial file under
    // the final name.
    bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    int saved = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        saved = errno;
    }
    if (!written) {
        ::unlink(temp.c_str());
        errno = saved;
        return fail(ui::translate("FileAccess", "文件无法写入：%1 (%2)"));
    }
    if (!PlaceFile(temp, pathUtf8, replace)) {
        saved = errno;
        ::unlink(temp.c_str());
        errno = saved;
        if (existed) *existed = saved == EEXIST;
        return fail(saved == EEXIST ? ui::translate("FileAccess", "文件已存在：%1 (%2)")
                                    : ui::translate("FileAccess", "文件无法保存：%1 (%2)"));
    }
    if (!SyncFolder(FolderOf(pathUtf8)))
        return fail(ui::translate("FileAccess", "文件无法保存：%1 (%2)"));
    return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& pathUtf8, const std::string& bytes,
                         std::string* errorUtf8) {
    return WriteAndPlace(pathUtf8, bytes, true, errorUtf8, nullptr);
}

bool CreateFileAtomically(const std::string& pathUtf8, const std::string& bytes,
                          std::string* errorUtf8, bool* existed) {
    return WriteAndPlace(pathUtf8, bytes, false, errorUtf8, existed);
}

bool RenameWithoutReplacing(const std::string& fromUtf8, const std::string& toUtf8) {
    if (::renameat2(AT_FDCWD, fromUtf8.c_str(), AT_FDCWD, toUtf8.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    // A file system without the flag: a hard link is made only where no name is, and the
    // old name then goes.
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
    if (::link(fromUtf8.c_str(), toUtf8.c_str()) != 0) return false;
    ::unlink(fromUtf8.c_str());
    return true;
}

bool ReadFilePrefix(const std::string& pathUtf8, std::size_t maxBytes, std::string* bytes,
                    std::string* errorUtf8, int* errnoOut) {
    auto fail = [&](int error) {
        if (errnoOut) *errnoOut = error;
        if (errorUtf8)
            *errorUtf8 = ui::Fill(ui::translate("FileAccess", "文件无法打开：%1 (%2)"),
                                  {pathUtf8, std::strerror(error)});
        return false;
    };
    // Anything but a regular file is refused before it is opened (opening a device may
    // act on it); the open is non-blocking, so that a FIFO put there meanwhile is refused
    // instead of waiting for a writer.
    struct stat info {};
    if (::stat(pathUtf8.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        return fail(S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
    int fd = ::open(pathUtf8.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return fail(errno);
    int error = ::fstat(fd, &info) != 0 ? errno : 0;
    if (error == 0 && !S_ISREG(info.st_mode)) error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    std::string data(maxBytes, '\0');
    std::size_t filled = 0;
    while (error == 0 && filled < maxBytes) {
        ssize_t got = ::read(fd, &data[filled], maxBytes - filled);
        if (got < 0 && errno != EINTR) error = errno;
        if (got == 0) break;
        if (got > 0) filled += static_cast<std::size_t>(got);
    }
    ::close(fd);
    if (error != 0) return fail(error);
    data.resize(filled);
    *bytes = std::move(data);
    if (errnoOut) *errnoOut = 0;
    return true;
}

bool ReadBoundedFile(const std::string& pathUtf8, std::size_t maxBytes, std::string* bytes,
                     std::string* errorUtf8, int* errnoOut) {
    // One byte more than allowed tells a file that is too long.
    std::string data;
    if (!ReadFilePrefix(pathUtf8, maxBytes + 1, &data, errorUtf8, errnoOut)) return false;
    if (data.size() > maxBytes) {
        if (errnoOut) *errnoOut = EFBIG;
        if (errorUtf8)
            *errorUtf8 = ui::Fill(ui::translate("FileAccess", "文件无法打开：%1 (%2)"),
                                  {pathUtf8, std::strerror(EFBIG)});
        return false;
    }
    *bytes = std::move(data);
    return true;
}
