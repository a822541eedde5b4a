// The sample text files: a gamma table and a remote command script.
#pragma once

#include <string>

namespace sim {

// A gamma table as the GAMMA command reads it: comment lines beginning
// with '%', then 1024 lines "red,green,blue" of a 2.2 curve from 0 to 1023
// on all three channels; lines end with a carriage return and a line feed.
std::string gammaSample();

// A remote script: messages, pauses and text commands the card knows
// (sim/firmware/text_commands.cpp), each acknowledged.
std::string remoteSample();

}  // namespace sim
