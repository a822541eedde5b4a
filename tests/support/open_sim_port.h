// Opens the simulated COM1 for a test that calls a command handler or a link
// directly, as the tool's driver leaves the port (openPort, configurePort):
// 115200 bit/s, 8 data bits, no parity, one stop bit, and the polling
// time-outs.
#pragma once

#include "platform/win32.h"
#include "sim/line/serial_peer.h"

// Resets the simulated platform, connects `peer`, starts the clock at
// `startTick` and opens the port into lport. False when it could not be
// opened or configured.
bool openSimPort(sim::SerialPeer& peer, DWORD startTick = 0x1000);

void closeSimPort();
