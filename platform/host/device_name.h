// The Win32 device namespace prefix: "\\.\COM1" names the device COM1.
#pragma once

#include <cstring>

namespace host {

// The device name after the "\\.\" prefix, or nullptr when `fileName` is an
// ordinary file name.
inline const char* deviceName(const char* fileName) {
    constexpr char prefix[] = "\\\\.\\";
    constexpr std::size_t length = sizeof prefix - 1;
    return std::strncmp(fileName, prefix, length) == 0 ? fileName + length : nullptr;
}

}  // namespace host
