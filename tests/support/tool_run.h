// The one way the tests and benches run the whole tool in this process, against a
// peer on the simulated platform (usually the card model).
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"
#include "sim/line/serial_peer.h"

// Runs the tool with `args` (after the program's name) against `peer`, keys from
// `keys`, the clock from `startTick`. Returns the exit status.
int runUpdaterOn(const std::vector<std::string>& args, sim::SerialPeer& peer, const std::string& keys = "",
                 DWORD startTick = 0x1000);

struct ToolRun {
    std::string output;
    int status;
};

// The same, keeping what the tool printed.
ToolRun runTool(const std::vector<std::string>& args, sim::SerialPeer& peer, const std::string& keys = "",
                DWORD startTick = 0x1000);

// The same in a child process, interrupted at the simulated time `at` (or by a key
// 0x03 among `keys`); what the peer received stays in the child.
ToolRun runToolInterrupted(const std::vector<std::string>& args, sim::SerialPeer& peer, sim::Nanos at,
                           const std::string& keys = "");

// For a test of a command or a link: a fresh platform with `peer` and COM1 opened as
// the driver leaves it (openPort, configurePort); false when that fails.
bool openSimPort(sim::SerialPeer& peer, DWORD startTick = 0x1000);
void closeSimPort();
