// Opens the simulated COM1 for a test that calls a command handler or a link
// directly, the way the tool's driver leaves the port: 115200 bit/s, 8 data
// bits, no parity, one stop bit, and the polling time-outs (a read returns
// at once with what has arrived, or after 1 ms with nothing).
#pragma once

#include "platform/win32.h"
#include "sim/line/serial_peer.h"

// Resets the simulated platform, connects `peer`, starts the clock at
// `startTick` and opens the port into lport. Returns false when the port
// could not be opened or configured.
bool openSimPort(sim::SerialPeer& peer, DWORD startTick = 0x1000);

// Closes lport.
void closeSimPort();
