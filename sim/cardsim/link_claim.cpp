#include "sim/cardsim/link_claim.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace cardsim {

namespace {

constexpr int kLockTries = 3;

std::string readAll(int fd) {
    char text[32] = {};
    ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    return n > 0 ? std::string(text, static_cast<std::size_t>(n)) : std::string();
}

// True when `fd` is still the file named `path` (a cardsim leaving removes
// its lock file; a lock taken on the removed file guards nothing).
bool stillNamed(int fd, const std::string& path) {
    struct stat open {
    }, named{};
    return ::fstat(fd, &open) == 0 && ::stat(path.c_str(), &named) == 0 && open.st_ino == named.st_ino &&
           open.st_dev == named.st_dev;
}

}  // namespace

bool LinkClaim::lock(std::string& error) {
    for (int attempt = 0; attempt < kLockTries; ++attempt) {
        // In a directory others may write to (/tmp), a symbolic link planted
        // at the lock's path would have the number written into any file this
        // user may write: the lock is never opened through one.
        int fd = ::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0 && errno == ELOOP) {
            error = lockPath_ +
                    ": is a symbolic link, which cardsim does not follow: remove it or give another --link";
            return false;
        }
        if (fd < 0) {
            error = lockPath_ + ": " + std::strerror(errno);
            return false;
        }
        // A hard link planted there is another file under a second name.
        struct stat info {};
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_nlink != 1) {
            ::close(fd);
            error = lockPath_ + ": is not a file of its own (another name links to it), which cardsim does not "
                                "write: remove it or give another --link";
            return false;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            std::string owner = readAll(fd);
            ::close(fd);
            error = link_ + " belongs to a card that is still running (cardsim process " +
                    (owner.empty() ? std::string("unknown") : owner) +
                    "): stop that cardsim or give another --link";
            return false;
        }
        if (stillNamed(fd, lockPath_)) {
            // The number only serves the message of a cardsim refused.
            std::string pid = std::to_string(::getpid());
            [[maybe_unused]] bool recorded =
                ::ftruncate(fd, 0) == 0 && ::pwrite(fd, pid.data(), pid.size(), 0) > 0;
            lockFd_ = fd;
            return true;
        }
        ::close(fd);
    }
    error = lockPath_ + ": keeps changing; is another cardsim starting?";
    return false;
}

bool LinkClaim::take(const std::string& link, const std::string& target, std::string& error, std::string& note) {
    link_ = link;
    lockPath_ = link + ".lock";
    if (!lock(error)) return false;

    struct stat status {};
    if (::lstat(link.c_str(), &status) == 0) {
        if (!S_ISLNK(status.st_mode)) {
            error = link + ": exists and is not a symbolic link";
            return false;
        }
        // Nobody holds the lock: the card this link was made for is gone.
        note = "replaced the link " + link + " left by a card that is gone";
        ::unlink(link.c_str());
    }
    return pointAt(target, error);
}

bool LinkClaim::pointAt(const std::string& target, std::string& error) {
    if (lockFd_ < 0) return true;
    if (::symlink(target.c_str(), link_.c_str()) != 0) {
        error = link_ + ": " + std::strerror(errno);
        return false;
    }
    target_ = target;
    return true;
}

void LinkClaim::withdraw() {
    if (lockFd_ < 0) return;
    char buffer[4096];
    ssize_t length = ::readlink(link_.c_str(), buffer, sizeof buffer);
    if (length > 0 && std::string(buffer, static_cast<std::size_t>(length)) == target_) {
        ::unlink(link_.c_str());
    }
}

LinkClaim::~LinkClaim() {
    if (lockFd_ < 0) return;
    withdraw();
    ::unlink(lockPath_.c_str());
    ::close(lockFd_);
}

}  // namespace cardsim
