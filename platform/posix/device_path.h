// Where a Win32 port name is found on this system.
#pragma once

#include <string>

namespace posix {

// The device path for the name after "\\.\": COMn (in any case) is /dev/ttyS(n-1) for n
// from 1 to 999, as the tool names its ports; an absolute path is used as it is. Empty
// for any other name.
std::string devicePath(const std::string& deviceName);

}  // namespace posix
