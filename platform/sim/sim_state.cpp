#include "platform/sim/sim_state.h"

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

void resetState() {
    host::forgetAllHandles();
    state() = State{};
    host::setLastError(0);
}

}  // namespace simport::detail
