// The one way to run the whole tool in this process, as the operator would,
// against a peer on the simulated platform (usually the card model): the
// tests and the benches all run it through here.
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"
#include "sim/line/serial_peer.h"

// Runs the tool with `args` (the arguments after the program's name)
// against `peer` on the simulated platform as it stands: the keys are taken
// from `keys`, the clock starts at `startTick`. Returns the exit status.
int runUpdaterOn(const std::vector<std::string>& args, sim::SerialPeer& peer, const std::string& keys = "",
                 DWORD startTick = 0x1000);

struct ToolRun {
    std::string output;
    int status;
};

// The same, keeping what the tool printed.
ToolRun runTool(const std::vector<std::string>& args, sim::SerialPeer& peer, const std::string& keys = "",
                DWORD startTick = 0x1000);

// The same in a child process, interrupted by the operator at the simulated
// time `at` (or by a key 0x03 among `keys`); what the peer received stays in
// the child.
ToolRun runToolInterrupted(const std::vector<std::string>& args, sim::SerialPeer& peer, sim::Nanos at,
                           const std::string& keys = "");

// For a test that calls a command handler or a link directly: resets the
// simulated platform, connects `peer`, starts the clock at `startTick` and
// opens COM1 as the tool's driver leaves it (openPort, configurePort); false
// when that fails.
bool openSimPort(sim::SerialPeer& peer, DWORD startTick = 0x1000);
void closeSimPort();
