// The running firmware's text commands: "#KEYWORD arguments\r", each
// answered with one frame from '#' to a carriage return.
#pragma once

#include <string>
#include <string_view>

#include "sim/card_options.h"

namespace sim {

// The answer to the command `line` (what came between '#' and the carriage
// return).
std::string answerTextCommand(std::string_view line, const CardOptions& options);

}  // namespace sim
