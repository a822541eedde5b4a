// Opening and closing on the simulated platform: "\\.\NAME" opens a
// simulated port, any other name a plain file of the host's file system.
#include <cctype>
#include <cstdint>
#include <unistd.h>

#include "platform/host/device_name.h"
#include "platform/host/host_files.h"
#include "platform/host/last_error.h"
#include "platform/sim/sim_port.h"
#include "platform/sim/sim_state.h"

namespace {

using simport::detail::OpenHandle;
using simport::detail::state;

std::string upperCase(const char* text) {
    std::string upper;
    for (; *text != '\0'; ++text) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(*text)));
    return upper;
}

bool portIsOpen(const std::string& name) {
    for (const auto& [handle, open] : state().handles) {
        if (open->isPort && open->portName == name) return true;
    }
    return false;
}

HANDLE keep(std::unique_ptr<OpenHandle> open) {
    HANDLE handle = open.get();
    state().handles.emplace(handle, std::move(open));
    return handle;
}

HANDLE openPort(const char* deviceName) {
    ++state().opens;
    if (state().openFailures > 0) {
        --state().openFailures;
        host::setLastError(state().openError);
        return INVALID_HANDLE_VALUE;
    }
    std::string name = upperCase(deviceName);
    if (state().ports.count(name) == 0) {
        host::setLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (portIsOpen(name)) {  // the tool opens its port for exclusive use
        host::setLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    auto open = std::make_unique<OpenHandle>();
    open->isPort = true;
    open->portName = name;
    open->dcb = simport::portDefaults();
    if (state().peer != nullptr) {
        state().peer->setHostBaud(open->dcb.BaudRate);
        // A port opens with empty buffers: what reached it while it was
        // closed is gone.
        std::uint8_t scratch[256];
        while (state().peer->hostRead(scratch, sizeof scratch, state().now) > 0) {
        }
    }
    return keep(std::move(open));
}

HANDLE openFile(const char* fileName) {
    int fd = host::openFileForReading(fileName);
    if (fd < 0) return INVALID_HANDLE_VALUE;
    auto open = std::make_unique<OpenHandle>();
    open->fd = fd;
    return keep(std::move(open));
}

}  // namespace

HANDLE CreateFileA(LPCSTR fileName, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) {
    const char* device = host::deviceName(fileName);
    return device != nullptr ? openPort(device) : openFile(fileName);
}

BOOL CloseHandle(HANDLE object) {
    OpenHandle* open = simport::detail::findHandle(object);
    if (open == nullptr) return FALSE;
    if (open->fd >= 0) ::close(open->fd);
    state().handles.erase(object);
    return TRUE;
}

DWORD GetFileSize(HANDLE file, LPDWORD fileSizeHigh) {
    OpenHandle* open = simport::detail::findHandle(file);
    if (open == nullptr) return INVALID_FILE_SIZE;
    if (open->isPort) {
        host::setLastError(ERROR_INVALID_HANDLE);
        return INVALID_FILE_SIZE;
    }
    return host::fileSize(open->fd, fileSizeHigh);
}

// A simulated port is its own device.
DWORD QueryDosDeviceA(LPCSTR deviceName, char* targetPath, DWORD size) {
    std::string name = upperCase(deviceName);
    if (state().ports.count(name) == 0 || name.size() + 2 > size) {
        host::setLastError(state().ports.count(name) == 0 ? ERROR_FILE_NOT_FOUND : ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    name.copy(targetPath, name.size());
    targetPath[name.size()] = '\0';
    targetPath[name.size() + 1] = '\0';
    return static_cast<DWORD>(name.size() + 2);
}
