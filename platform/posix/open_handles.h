// The handles the posix platform gives out: each stands for an open
// descriptor, of a serial device (a port) or of a plain file.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/win32.h"

namespace posix {

struct OpenHandle {
    int fd = -1;
    int inputWatch = -1;  // ports: what waits for their input (input_watch.h)
    bool isPort = false;
    bool haveSettings = false;  // ports: `settings` read or applied at least once
    DCB settings{};
    COMMTIMEOUTS timeouts{};
    std::vector<std::uint8_t> gathered;  // ports: short writes not yet handed to the device
    DWORD gatheredError = 0;             // ports: why the device refused gathered bytes (0: it did not)
};

// Takes ownership of `open` (and its descriptor) and returns its handle.
HANDLE keepHandle(std::unique_ptr<OpenHandle> open);

// The open handle `handle` stands for, or nullptr (last error 6).
OpenHandle* findHandle(HANDLE handle);

// The open port `handle` stands for, or nullptr (last error 6).
OpenHandle* findPort(HANDLE handle);

// Calls `visit` for every open port.
void forEachPort(const std::function<void(OpenHandle&)>& visit);

// Closes the descriptor and forgets the handle; false (last error 6) when
// `handle` stands for nothing open.
bool closeHandle(HANDLE handle);

}  // namespace posix
