// cardsim's event loop: hands what the host writes on the terminal to the
// card on the real clock, and writes the card's bytes to the terminal when
// they are due. It sleeps in poll until input, the next due byte or a stop
// signal; it never spins.
#pragma once

#include "sim/card.h"
#include "sim/cardsim/byte_trace.h"
#include "sim/cardsim/pseudo_terminal.h"

namespace cardsim {

// The real clock (CLOCK_MONOTONIC), in nanoseconds.
sim::Nanos monotonicNow();

// Serves `line` on `terminal` until `stopFd` becomes readable.
void serve(sim::Card& line, const PseudoTerminal& terminal, const ByteTrace& trace,
           int stopFd);

}  // namespace cardsim
