// Shared by the posix and sim platforms: the calling thread's last error, in
// Win32 numbering, as GetLastError reports it. A failing call sets it; a successful call leaves it alone.
#pragma once

#include "platform/win32.h"

namespace host {

void setLastError(DWORD error);

// The Win32 number for a C library error number (ENOENT is 2, EACCES 5, ...).
DWORD win32Error(int errnoValue);

}  // namespace host
