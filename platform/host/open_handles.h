// The handles the posix and sim platforms give out. Each stands for an open
// port of the platform or a plain file opened for reading; the table owns
// what it keeps, and forgetting a handle closes what it stands for.
// CreateFileA, CloseHandle and GetFileSize are the same on both platforms
// (host_files.cpp); only opening a port is each platform's own (openPort).
#pragma once

#include <functional>
#include <memory>

#include "platform/win32.h"

namespace host {

struct OpenHandle {
    virtual ~OpenHandle();  // closes `fd`, if there is one
    int fd = -1;            // a plain file's descriptor, or a port's device's
    bool isPort = false;
    DCB settings{};           // ports: the settings record as last read or applied
    COMMTIMEOUTS timeouts{};  // ports: the time-outs as last applied
};

// Takes ownership of `open` and returns its handle.
HANDLE keepHandle(std::unique_ptr<OpenHandle> open);

// What `handle` stands for, or nullptr (last error 6).
OpenHandle* findHandle(HANDLE handle);

// The open port `handle` stands for, or nullptr (last error 6, also for a file).
OpenHandle* findPort(HANDLE handle);

// Calls `visit` for every open handle.
void forEachHandle(const std::function<void(OpenHandle&)>& visit);

// Whether any open handle `matches`.
bool anyHandle(const std::function<bool(const OpenHandle&)>& matches);

// Closes what `handle` stands for and forgets it; false (last error 6) when
// it stands for nothing open.
bool forgetHandle(HANDLE handle);

// Closes and forgets every open handle.
void forgetAllHandles();

// Opens the port `deviceName` (the name after "\\.\"); INVALID_HANDLE_VALUE
// with the last error set when it cannot. Each platform has its own.
HANDLE openPort(const char* deviceName);

}  // namespace host
