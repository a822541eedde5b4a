// cardsim's event loop: hands what the host writes on the terminal to the
// card on the real clock, and writes the card's bytes to the terminal when
// they are due, to the nanosecond. It sleeps until input, the next due byte
// or a stop signal; only in the last 50 us before the last byte the card has
// to send is due does it keep looking instead.
#pragma once

#include "sim/card.h"
#include "sim/cardsim/byte_trace.h"
#include "sim/cardsim/pseudo_terminal.h"

namespace cardsim {

// Serves `line` on `terminal` until `stopFd` becomes readable.
void serve(sim::Card& line, const PseudoTerminal& terminal, const ByteTrace& trace, int stopFd);

}  // namespace cardsim
