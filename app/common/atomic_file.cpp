#include "common/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

bool WriteFileAtomically(const std::string& pathUtf8, const std::string& bytes,
                         std::string* errorUtf8) {
    std::string pattern = pathUtf8 + ".XXXXXX";
    std::vector<char> temp(pattern.begin(), pattern.end());
    temp.push_back('\0');
    auto fail = [&](const char* what) {
        if (errorUtf8)
            *errorUtf8 = std::string(what) + pathUtf8 + " (" + std::strerror(errno) + ")";
        return false;
    };
    int fd = mkstemp(temp.data());
    if (fd < 0) return fail("文件无法创建：");
    fchmod(fd, 0644);
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = write(fd, data, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            int saved = errno;
            close(fd);
            unlink(temp.data());
            errno = saved;
            return fail("文件无法写入：");
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    if (close(fd) != 0) {
        int saved = errno;
        unlink(temp.data());
        errno = saved;
        return fail("文件无法写入：");
    }
    if (std::rename(temp.data(), pathUtf8.c_str()) != 0) {
        int saved = errno;
        unlink(temp.data());
        errno = saved;
        return fail("文件无法保存：");
    }
    return true;
}
