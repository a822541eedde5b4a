#include "platform/sim/sim_state.h"

#include <unistd.h>

#include "platform/host/last_error.h"

namespace simport::detail {

DCB defaultDcb() {
    DCB dcb{};
    dcb.DCBlength = sizeof(DCB);
    dcb.BaudRate = CBR_9600;
    dcb.fBinary = 1;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.XonLim = 2048;
    dcb.XoffLim = 512;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    return dcb;
}

State& state() {
    static State instance;
    return instance;
}

OpenHandle* findHandle(HANDLE handle) {
    auto found = state().handles.find(handle);
    if (found == state().handles.end()) {
        host::setLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return found->second.get();
}

OpenHandle* findPort(HANDLE handle) {
    OpenHandle* open = findHandle(handle);
    if (open != nullptr && !open->isPort) {
        host::setLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return open;
}

void resetState() {
    for (auto& [handle, open] : state().handles) {
        if (open->fd >= 0) ::close(open->fd);
    }
    state() = State{};
    host::setLastError(0);
}

}  // namespace simport::detail
