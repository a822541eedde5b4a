// The running firmware's content commands: "#FPGA 1", "#EDID 1", "#EDID 2"
// and "#GAMMA 3 0" each start a transfer that takes the line over.
#pragma once

#include <memory>
#include <string_view>

#include "sim/card_options.h"
#include "sim/content/content_session.h"
#include "sim/memory/content_memory.h"

namespace sim {

// The transfer the text command `line` (what came between '#' and the
// carriage return, received at `at`) starts, or nullptr when it is not a
// content command this card knows.
std::unique_ptr<ContentSession> startContentSession(std::string_view line, const CardOptions& options,
                                                    ContentMemory& memory, ReplySink& out, Nanos at);

}  // namespace sim
