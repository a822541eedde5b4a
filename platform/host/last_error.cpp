#include "platform/host/last_error.h"

#include <cerrno>

namespace {
thread_local DWORD lastError = 0;
}

DWORD GetLastError() { return lastError; }

namespace host {

void setLastError(DWORD error) { lastError = error; }

DWORD win32Error(int errnoValue) {
    switch (errnoValue) {
    case ENOENT:
    case ENXIO:
    case ENODEV: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EBUSY:
    case EISDIR:
    case EROFS: return ERROR_ACCESS_DENIED;
    case EBADF: return ERROR_INVALID_HANDLE;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    default: return ERROR_GEN_FAILURE;
    }
}

}  // namespace host
