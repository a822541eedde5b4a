// Port settings: the DCB's line fields go to termios, the RTS line follows
// fRtsControl, every other field is kept as the tool gave it.
#include <cerrno>
#include <sys/ioctl.h>
#include <termios.h>

#include "platform/host/last_error.h"
#include "platform/host/settings_check.h"
#include "platform/posix/port_output.h"
#include "platform/posix/serial_port.h"
#include "platform/posix/termios_settings.h"

namespace {

// Raises or drops RTS when it is not under handshake control. A device
// without modem lines (a pseudo-terminal) refuses; that is no fault.
void driveRts(int fd, DWORD rtsControl) {
    if (rtsControl == RTS_CONTROL_HANDSHAKE) return;
    int line = TIOCM_RTS;
    ::ioctl(fd, rtsControl == RTS_CONTROL_DISABLE ? TIOCMBIC : TIOCMBIS, &line);
}

}  // namespace

BOOL GetCommState(HANDLE file, LPDCB dcb) {
    posix::SerialPort* port = posix::findPort(file);
    if (port == nullptr) return FALSE;
    if (!port->haveSettings) {
        termios settings{};
        if (::tcgetattr(port->fd, &settings) != 0) {
            host::setLastError(host::win32Error(errno));
            return FALSE;
        }
        port->settings = posix::settingsRecord(settings);
        port->haveSettings = true;
    }
    *dcb = port->settings;
    return TRUE;
}

BOOL SetCommState(HANDLE file, LPDCB dcb) {
    posix::SerialPort* port = posix::findPort(file);
    if (port == nullptr) return FALSE;
    // What was written before goes out at the settings it was written at.
    posix::sendGathered(*port);
    termios settings{};
    if (::tcgetattr(port->fd, &settings) != 0) {
        host::setLastError(host::win32Error(errno));
        return FALSE;
    }
    if (!host::validSettings(*dcb) || !posix::applySettings(*dcb, settings)) {
        host::setLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (::tcsetattr(port->fd, TCSANOW, &settings) != 0) {
        host::setLastError(host::win32Error(errno));
        return FALSE;
    }
    driveRts(port->fd, dcb->fRtsControl);
    port->settings = *dcb;
    port->haveSettings = true;
    return TRUE;
}

BOOL SetCommTimeouts(HANDLE file, LPCOMMTIMEOUTS timeouts) {
    posix::SerialPort* port = posix::findPort(file);
    if (port == nullptr) return FALSE;
    posix::sendGathered(*port);  // within the write time-outs it was written under
    if (!host::validTimeouts(*timeouts)) {
        host::setLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    port->timeouts = *timeouts;
    return TRUE;
}
