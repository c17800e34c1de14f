#include "acquisition/card_claim.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "instance_path.h"

std::string CardLockPath() {
    return dqx7460::InstanceFolder() + "/Velmora.lock";
}

CardClaim::~CardClaim() {
    if (fd_ >= 0) close(fd_);
}

CardClaim::Result CardClaim::Claim() {
    if (fd_ >= 0) return Result::kClaimed;
    // A folder made here is private, as the card library and the simulator want it.
    const std::string folder = dqx7460::InstanceFolder();
    mkdir(folder.c_str(), 0700);
    // Another user's lock in a folder of theirs would say the card is in use, where the
    // library would refuse the folder: the same check as the library's decides first.
    if (dqx7460::CheckInstanceFolder(folder) != dqx7460::FolderTrust::kTrusted) {
        return Result::kFolderRefused;
    }
    const int fd = open(CardLockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return Result::kNoLock;
    int locked;
    do {
        locked = flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        const bool held = errno == EWOULDBLOCK;
        close(fd);
        return held ? Result::kInUse : Result::kNoLock;
    }
    fd_ = fd;
    return Result::kClaimed;
}
