#include "platform/posix/device_path.h"

#include <cctype>

namespace posix {

std::string devicePath(const std::string& deviceName) {
    if (!deviceName.empty() && deviceName[0] == '/') return deviceName;
    if (deviceName.size() < 4 || deviceName.size() > 6) return "";
    for (std::size_t i = 0; i < 3; ++i) {
        if (std::toupper(static_cast<unsigned char>(deviceName[i])) != "COM"[i]) return "";
    }
    int number = 0;
    for (std::size_t i = 3; i < deviceName.size(); ++i) {
        char digit = deviceName[i];
        if (digit < '0' || digit > '9') return "";
        number = number * 10 + (digit - '0');
    }
    if (number < 1 || deviceName[3] == '0') return "";
    return "/dev/ttyS" + std::to_string(number - 1);
}

}  // namespace posix
