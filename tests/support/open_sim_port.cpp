#include "tests/support/open_sim_port.h"

#include <cstring>

#include "platform/sim/sim_port.h"
#include "port/port.h"

bool openSimPort(sim::SerialPeer& peer, DWORD startTick) {
    simport::reset();
    simport::attach(&peer);
    simport::startClock(startTick);
    std::strcpy(lportname, "COM1");
    std::strcpy(lfullportname, "\\\\.\\COM1");
    return openPort() && configurePort(true);
}

void closeSimPort() {
    CloseHandle(lport);
    lport = INVALID_HANDLE_VALUE;
}
