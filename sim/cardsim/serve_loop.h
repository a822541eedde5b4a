// cardsim's event loop: hands what the host writes on the terminal to the
// card on the real clock, and writes the card's bytes to the terminal in the
// chunks the host's port would pass them on in (sim/line/host_delivery.h),
// each chunk at its moment, to the nanosecond. It sleeps until input, the
// next chunk's moment or a stop signal.
#pragma once

#include "sim/card.h"
#include "sim/cardsim/byte_trace.h"
#include "sim/cardsim/pseudo_terminal.h"
#include "sim/line/host_delivery.h"

namespace cardsim {

// Serves `line` on `terminal` until `stopFd` becomes readable.
void serve(sim::Card& line, const PseudoTerminal& terminal, const sim::HostDelivery& delivery,
           const ByteTrace& trace, int stopFd);

}  // namespace cardsim
