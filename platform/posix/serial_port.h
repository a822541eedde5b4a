// An open serial device of the posix platform: the handle table's entry
// (its descriptor in `fd`) with what waits for its input.
#pragma once

#include "platform/host/open_handles.h"

namespace posix {

struct SerialPort : host::OpenHandle {
    ~SerialPort() override;  // stops watching the input
    int inputWatch = -1;        // what waits for the input (input_watch.h)
    bool haveSettings = false;  // `settings` read or applied at least once
};

// The open port `handle` stands for, or nullptr (last error 6).
inline SerialPort* findPort(HANDLE handle) { return static_cast<SerialPort*>(host::findPort(handle)); }

}  // namespace posix
