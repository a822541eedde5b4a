#include "platform/host/host_files.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/host/last_error.h"

namespace host {

int openFileForReading(const char* name) {
    int fd = ::open(name, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        setLastError(win32Error(errno));
        return -1;
    }
    struct stat info {};
    DWORD refusal = 0;
    if (::fstat(fd, &info) != 0) {
        refusal = win32Error(errno);
    } else if (S_ISDIR(info.st_mode)) {
        refusal = ERROR_ACCESS_DENIED;
    }
    if (refusal == 0) return fd;
    setLastError(refusal);
    ::close(fd);
    return -1;
}

DWORD fileSize(int fd, LPDWORD sizeHigh) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        setLastError(win32Error(errno));
        return INVALID_FILE_SIZE;
    }
    auto size = static_cast<std::uint64_t>(info.st_size);
    if (sizeHigh != nullptr) *sizeHigh = static_cast<DWORD>(size >> 32);
    return static_cast<DWORD>(size);
}

}  // namespace host

DWORD GetFileAttributesA(LPCSTR fileName) {
    struct stat info {};
    if (::stat(fileName, &info) != 0) {
        host::setLastError(host::win32Error(errno));
        return INVALID_FILE_ATTRIBUTES;
    }
    if (S_ISDIR(info.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
    if (::access(fileName, W_OK) != 0) return FILE_ATTRIBUTE_READONLY;
    return FILE_ATTRIBUTE_NORMAL;
}
