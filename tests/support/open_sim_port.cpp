#include "tests/support/open_sim_port.h"

#include "port/port.h"
#include "platform/sim/sim_port.h"

bool openSimPort(sim::SerialPeer& peer, DWORD startTick) {
    simport::reset();
    simport::attach(&peer);
    simport::startClock(startTick);
    lport = CreateFileA("\\\\.\\COM1", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                        nullptr);
    if (lport == INVALID_HANDLE_VALUE) return false;

    DCB dcb{};
    dcb.DCBlength = 28;
    if (!GetCommState(lport, &dcb)) return false;
    dcb.BaudRate = CBR_115200;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    if (!SetCommState(lport, &dcb)) return false;
    lDCB = dcb;

    ct.ReadIntervalTimeout = MAXDWORD;
    ct.ReadTotalTimeoutMultiplier = MAXDWORD;
    ct.ReadTotalTimeoutConstant = 1;
    ct.WriteTotalTimeoutMultiplier = 100;
    ct.WriteTotalTimeoutConstant = 0;
    return SetCommTimeouts(lport, &ct) != FALSE;
}

void closeSimPort() {
    CloseHandle(lport);
    lport = INVALID_HANDLE_VALUE;
}
