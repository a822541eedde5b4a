// cardsim's event loop: hands what the host writes on the terminal to the
// card on the real clock, and writes the card's bytes to the terminal in the
// chunks the host's port would pass them on in (sim/line/host_delivery.h),
// each chunk at its moment, to the nanosecond. It sleeps until input, the
// next chunk's moment or a stop signal. When the card is unplugged, the
// terminal is closed and the link removed, as a USB adapter pulled out
// takes its port away; at the moment it is plugged in again a new terminal
// is opened, its path printed and the link pointed at it.
#pragma once

#include <string>

#include "sim/card.h"
#include "sim/cardsim/byte_trace.h"
#include "sim/cardsim/link_claim.h"
#include "sim/cardsim/pseudo_terminal.h"
#include "sim/line/host_delivery.h"

namespace cardsim {

// Serves `line` on `terminal`, named by `link`, until `stopFd` becomes
// readable. Returns false, saying why in `error`, when the card plugged in
// again could not be given a terminal.
bool serve(sim::Card& line, PseudoTerminal& terminal, LinkClaim& link, const sim::HostDelivery& delivery,
           const ByteTrace& trace, int stopFd, std::string& error);

}  // namespace cardsim
