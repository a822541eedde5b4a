// Plain files on the host's file system, with Win32 results: what the port
// platforms share for the files the tool opens besides its port.
#pragma once

#include "platform/win32.h"

namespace host {

// Opens an existing file for reading, as CreateFileA does for a name that is
// not a device. Returns the descriptor, or -1 with the last error set (a
// directory is refused with 5, as Win32 refuses it without backup semantics).
int openFileForReading(const char* name);

// GetFileSize on an open descriptor: the low 32 bits of the size, the high
// ones in `sizeHigh` when given; INVALID_FILE_SIZE with the last error set
// when the size cannot be read.
DWORD fileSize(int fd, LPDWORD sizeHigh);

}  // namespace host
