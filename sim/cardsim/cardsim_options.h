// The cardsim command line: the card to simulate, its faults, and how the
// front end runs (pseudo-terminal link, pacing, trace).
#pragma once

#include <string>

#include "sim/card_options.h"

namespace cardsim {

struct Options {
    sim::CardOptions card;
    std::string link;         // symbolic link to the pty slave, if any
    bool trace = false;
    std::string makeSamples;  // write the sample files here and exit
    bool help = false;
};

// Reads the arguments after the program name. On a mistake returns false
// and says why in `error`.
bool parseOptions(int argc, char** argv, Options& options, std::string& error);

// The --help text.
const char* usageText();

}  // namespace cardsim
