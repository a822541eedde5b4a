// The handles the posix platform gives out: each stands for an open
// descriptor, of a serial device (a port) or of a plain file.
#pragma once

#include <memory>

#include "platform/win32.h"

namespace posix {

struct OpenHandle {
    int fd = -1;
    int inputWatch = -1;  // ports: what waits for their input (input_watch.h)
    bool isPort = false;
    bool haveSettings = false;  // ports: `settings` read or applied at least once
    DCB settings{};
    COMMTIMEOUTS timeouts{};
};

// Takes ownership of `open` (and its descriptor) and returns its handle.
HANDLE keepHandle(std::unique_ptr<OpenHandle> open);

// The open handle `handle` stands for, or nullptr (last error 6).
OpenHandle* findHandle(HANDLE handle);

// The open port `handle` stands for, or nullptr (last error 6).
OpenHandle* findPort(HANDLE handle);

// Closes the descriptor and forgets the handle; false (last error 6) when
// `handle` stands for nothing open.
bool closeHandle(HANDLE handle);

}  // namespace posix
