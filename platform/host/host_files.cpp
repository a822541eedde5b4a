// Opening and closing, alike on the posix and sim platforms: "\\.\NAME"
// opens the platform's port NAME, any other name a plain file of the host's
// file system, for reading.
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/host/last_error.h"
#include "platform/host/open_handles.h"

namespace {

// The device name after the "\\.\" prefix, or nullptr when `fileName` is an
// ordinary file name.
const char* deviceName(const char* fileName) {
    constexpr char prefix[] = "\\\\.\\";
    constexpr std::size_t length = sizeof prefix - 1;
    return std::strncmp(fileName, prefix, length) == 0 ? fileName + length : nullptr;
}

// An existing file, opened for reading; a directory is refused with 5, as
// Win32 refuses it without backup semantics.
HANDLE openFile(const char* name) {
    int fd = ::open(name, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        host::setLastError(host::win32Error(errno));
        return INVALID_HANDLE_VALUE;
    }
    auto open = std::make_unique<host::OpenHandle>();
    open->fd = fd;
    struct stat info {};
    DWORD refusal = 0;
    if (::fstat(fd, &info) != 0) {
        refusal = host::win32Error(errno);
    } else if (S_ISDIR(info.st_mode)) {
        refusal = ERROR_ACCESS_DENIED;
    }
    if (refusal == 0) return host::keepHandle(std::move(open));
    host::setLastError(refusal);
    return INVALID_HANDLE_VALUE;
}

}  // namespace

HANDLE CreateFileA(LPCSTR fileName, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) {
    const char* device = deviceName(fileName);
    return device != nullptr ? host::openPort(device) : openFile(fileName);
}

BOOL CloseHandle(HANDLE object) { return host::forgetHandle(object) ? TRUE : FALSE; }

DWORD GetFileSize(HANDLE file, LPDWORD fileSizeHigh) {
    host::OpenHandle* open = host::findHandle(file);
    if (open == nullptr) return INVALID_FILE_SIZE;
    struct stat info {};
    if (open->isPort) {
        host::setLastError(ERROR_INVALID_HANDLE);
        return INVALID_FILE_SIZE;
    }
    if (::fstat(open->fd, &info) != 0) {
        host::setLastError(host::win32Error(errno));
        return INVALID_FILE_SIZE;
    }
    auto size = static_cast<std::uint64_t>(info.st_size);
    if (fileSizeHigh != nullptr) *fileSizeHigh = static_cast<DWORD>(size >> 32);
    return static_cast<DWORD>(size);
}

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
