// The cardsim command line: the card to simulate, its faults, and how the
// front end runs (pseudo-terminal link, pacing, trace).
#pragma once

#include <string>

#include "sim/card_options.h"
#include "sim/line/host_delivery.h"
#include "sim/samples/sample_files.h"

namespace cardsim {

struct Options {
    sim::CardOptions card;
    sim::HostDelivery delivery;  // how the host's port passes the card's bytes on (paced)
    std::string link;            // symbolic link to the pty slave, if any
    bool trace = false;
    std::string makeSamples;                         // write the sample files here and exit
    std::uint64_t xsvfSize = sim::kDefaultXsvfSize;  // the size of the sample fpga.xsvf
    bool help = false;
    bool version = false;
};

// Reads the arguments after the program name. On a mistake returns false
// and says why in `error`.
bool parseOptions(int argc, char** argv, Options& options, std::string& error);

// The --help text.
const char* usageText();

}  // namespace cardsim
