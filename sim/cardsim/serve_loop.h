// cardsim's event loop: hands what the host writes on the terminal to the
// card on the real clock, and writes the card's bytes to the terminal when
// they are due, to the nanosecond. It sleeps until input, the next due byte
// or a stop signal; paced, it keeps looking instead of sleeping for the last
// 50 us before the last byte the card has to send and for 150 us after it.
#pragma once

#include "sim/card.h"
#include "sim/cardsim/byte_trace.h"
#include "sim/cardsim/pseudo_terminal.h"

namespace cardsim {

// Serves `line` on `terminal` until `stopFd` becomes readable; `paced` when
// the card's bytes take their time on the wire.
void serve(sim::Card& line, const PseudoTerminal& terminal, const ByteTrace& trace, bool paced,
           int stopFd);

}  // namespace cardsim
