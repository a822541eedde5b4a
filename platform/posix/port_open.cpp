// Opening a port: "\\.\NAME" opens a serial device in raw mode, held for
// this process alone.
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include "platform/host/last_error.h"
#include "platform/posix/device_path.h"
#include "platform/posix/input_watch.h"
#include "platform/posix/port_output.h"
#include "platform/posix/serial_port.h"
#include "platform/posix/termios_settings.h"

namespace {

HANDLE refuse(int fd, DWORD error) {
    if (fd >= 0) ::close(fd);
    host::setLastError(error);
    return INVALID_HANDLE_VALUE;
}

}  // namespace

// What is still gathered goes out before the device closes (the base closes it).
posix::SerialPort::~SerialPort() {
    sendGathered(*this);
    unwatchInput(inputWatch);
}

HANDLE host::openPort(const char* deviceName) {
    std::string path = posix::devicePath(deviceName);
    if (path.empty()) return refuse(-1, ERROR_FILE_NOT_FOUND);
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    // A device the user may not open is told apart from one that another
    // process holds (5, below), so that the operator hears which it is.
    if (fd < 0 && (errno == EACCES || errno == EPERM)) return refuse(-1, ERROR_PRIVILEGE_NOT_HELD);
    if (fd < 0) return refuse(-1, host::win32Error(errno));
    // Another process holding the device is refused as Win32 refuses a port
    // already open.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        return refuse(fd, errno == EWOULDBLOCK ? ERROR_ACCESS_DENIED : host::win32Error(errno));
    }
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) return refuse(fd, ERROR_FILE_NOT_FOUND);  // not a serial device
    posix::makeRaw(settings);
    if (::tcsetattr(fd, TCSANOW, &settings) != 0) return refuse(fd, host::win32Error(errno));
    // A port opens with empty buffers, as a Win32 serial driver opens it:
    // what arrived while no one held it is not part of this run.
    ::tcflush(fd, TCIOFLUSH);
    int inputWatch = posix::watchInput(fd);
    if (inputWatch < 0) return refuse(fd, host::win32Error(errno));

    auto open = std::make_unique<posix::SerialPort>();
    open->fd = fd;
    open->inputWatch = inputWatch;
    open->isPort = true;
    return host::keepHandle(std::move(open));
}

DWORD QueryDosDeviceA(LPCSTR deviceName, char* targetPath, DWORD size) {
    std::string path = deviceName != nullptr ? posix::devicePath(deviceName) : "";
    if (path.empty() || path.size() + 2 > size) {
        host::setLastError(path.empty() ? ERROR_FILE_NOT_FOUND : ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    path.copy(targetPath, path.size());
    targetPath[path.size()] = '\0';
    targetPath[path.size() + 1] = '\0';  // the list's end
    return static_cast<DWORD>(path.size() + 2);
}
