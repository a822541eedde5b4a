// Shared by the posix and sim platforms: the checks SetCommState and
// SetCommTimeouts make before applying a record; a record that fails them is
// refused with last error 87.
#pragma once

#include "platform/win32.h"

namespace host {

// A bit rate above 0, 5 to 8 data bits, a known parity and stop-bit code.
bool validSettings(const DCB& dcb);

// Anything but MAXDWORD for all three read values.
bool validTimeouts(const COMMTIMEOUTS& timeouts);

}  // namespace host
