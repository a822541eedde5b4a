// Runs the whole tool, as the operator would, against a peer on the
// simulated port, and keeps what it printed and its exit status; or opens
// the port for a test of a part of it.
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"
#include "sim/line/serial_peer.h"

struct ToolRun {
    std::string output;
    int status;
};

// `args` are the arguments after the program name. Keys are taken from
// `keys`; the clock starts at `startTick`.
ToolRun runTool(const std::vector<std::string>& args, sim::SerialPeer& peer, const std::string& keys = "",
                DWORD startTick = 0x1000);

// Opens the simulated COM1 for a test that calls a command handler or a link
// directly, as the tool's driver leaves the port (openPort, configurePort):
// 115200 bit/s, 8 data bits, no parity, one stop bit, and the polling
// time-outs. Resets the simulated platform, connects `peer` and starts the
// clock at `startTick` first. False when the port could not be opened or
// configured; closeSimPort closes it.
bool openSimPort(sim::SerialPeer& peer, DWORD startTick = 0x1000);
void closeSimPort();

// The same run in a child process, interrupted by the operator at the
// simulated time `at` (or by a key 0x03 among `keys`); what the peer
// received stays in the child.
ToolRun runToolInterrupted(const std::vector<std::string>& args, sim::SerialPeer& peer, sim::Nanos at,
                           const std::string& keys = "");
