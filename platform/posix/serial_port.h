// An open serial device of the posix platform: the handle table's entry
// (its descriptor in `fd`) with what waits for its input and the short
// writes gathered for it (port_output.h).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/host/open_handles.h"

namespace posix {

struct SerialPort : host::OpenHandle {
    ~SerialPort() override;              // sends what is gathered, stops watching the input
    int inputWatch = -1;                 // what waits for the input (input_watch.h)
    bool haveSettings = false;           // `settings` read or applied at least once
    std::vector<std::uint8_t> gathered;  // short writes not yet handed to the device
    DWORD gatheredError = 0;             // why the device refused gathered bytes (0: it did not)
    bool inputLeft = false;              // the last read took all it asked for: more may be there
};

// The open port `handle` stands for, or nullptr (last error 6).
inline SerialPort* findPort(HANDLE handle) { return static_cast<SerialPort*>(host::findPort(handle)); }

}  // namespace posix
