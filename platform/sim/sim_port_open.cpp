// Opening a port on the simulated platform: "\\.\NAME" connects to the peer
// when NAME is a port the test has made (COM1 by default).
#include <cctype>
#include <cstdint>

#include "platform/host/last_error.h"
#include "platform/sim/sim_port.h"
#include "platform/sim/sim_state.h"

namespace {

using simport::detail::SimPort;
using simport::detail::state;

std::string upperCase(const char* text) {
    std::string upper;
    for (; *text != '\0'; ++text) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(*text)));
    return upper;
}

bool portIsOpen(const std::string& name) {
    return host::anyHandle([&name](const host::OpenHandle& open) {
        return open.isPort && static_cast<const SimPort&>(open).portName == name;
    });
}

}  // namespace

HANDLE host::openPort(const char* deviceName) {
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
    // A device unplugged is no port until it is plugged in again.
    std::uint64_t connection = state().peer != nullptr ? state().peer->connection(state().now) : 1;
    if (connection == 0) {
        host::setLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    auto open = std::make_unique<SimPort>();
    open->isPort = true;
    open->portName = name;
    open->connection = connection;
    open->settings = simport::portDefaults();
    if (state().peer != nullptr) {
        state().peer->setHostBaud(open->settings.BaudRate);
        // A port opens with empty buffers: what reached it while it was
        // closed is gone.
        std::uint8_t scratch[256];
        while (state().peer->hostRead(scratch, sizeof scratch, state().now) > 0) {
        }
    }
    return host::keepHandle(std::move(open));
}

bool simport::detail::stillConnected(const SimPort& port) {
    if (state().peer == nullptr || state().peer->connection(state().now) == port.connection) return true;
    host::setLastError(ERROR_GEN_FAILURE);
    return false;
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
