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

// For a test that calls a command handler or a link directly: resets the
// simulated platform, connects `peer`, starts the clock at `startTick` and
// opens COM1 as the tool's driver leaves it (openPort, configurePort); false
// when that fails.
bool openSimPort(sim::SerialPeer& peer, DWORD startTick = 0x1000);
void closeSimPort();

// The same run in a child process, interrupted by the operator at the
// simulated time `at` (or by a key 0x03 among `keys`); what the peer
// received stays in the child.
ToolRun runToolInterrupted(const std::vector<std::string>& args, sim::SerialPeer& peer, sim::Nanos at,
                           const std::string& keys = "");
