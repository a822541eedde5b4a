// Runs the whole tool, as the operator would, against a peer on the
// simulated port, and keeps what it printed and its exit status.
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

// The same run in a child process, interrupted by the operator at the
// simulated time `at` (or by a key 0x03 among `keys`); what the peer
// received stays in the child.
ToolRun runToolInterrupted(const std::vector<std::string>& args, sim::SerialPeer& peer, sim::Nanos at,
                           const std::string& keys = "");
