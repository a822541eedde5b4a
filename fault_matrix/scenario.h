// One run of the fault matrix, made from its seed alone: the command and
// its files, the card (its model, what its memories hold, its faults), and
// what the run must leave behind if it reports success.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "fault_matrix/memories.h"
#include "platform/win32.h"
#include "sim/card_options.h"

namespace matrix {

struct Scenario {
    std::uint64_t seed = 0;
    std::string command;                               // its name in the counts: "VIPER 5", "MICRO boot mode", ...
    std::vector<std::string> args;                     // the tool's arguments after its name
    std::string keys;                                  // what the operator types, in order
    DWORD startTick = 0;                               // the tick count when the run starts
    sim::CardOptions card;                             // the card, its faults included (not its state directory)
    std::vector<std::string> faults;                   // the kinds of fault injected, for the counts ("none")
    std::string faultDetails;                          // the faults with their values
    std::vector<std::pair<std::string, Bytes>> files;  // the work directory's files

    Memories before;       // what the card holds when the run starts
    MemorySet writes = 0;  // the memories the command is asked to write
    Memories expected;     // what those hold after a successful run

    int differingWords = -1;                  // VERIFY: device words that differ from the file
    std::vector<std::string> remoteCommands;  // REMOTE: the script's text commands, in order

    // The simulated time the longest legitimate run of this command takes,
    // with a margin, from the first byte of the command on: a run still
    // going then has hung. Before the command (identification, the boot
    // program's communication check) a run has waitingBoundMs().
    std::uint64_t boundMs = 0;

    // One line: the seed, the command line, the card and its faults.
    std::string describe() const;
};

// The names of the commands in the order they are counted.
const std::vector<std::string>& commandNames();

Scenario pickScenario(std::uint64_t seed);

}  // namespace matrix
