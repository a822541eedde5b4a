// How long, on the simulated clock, the longest legitimate run of a
// scenario's command takes: every wait of the tool at its limit, every
// retry it allows taken, plus a margin.
#pragma once

#include <cstdint>

namespace matrix {

struct Scenario;

std::uint64_t longestLegitimateRunMs(const Scenario& scenario);

// The simulated time a run may spend before its command starts: in the
// identification, which the tool repeats without end for a card that
// never gives its model, or in the boot program's communication check,
// which reminds the operator without end after its first time-out. A run
// still there at this bound is stopped as the operator would stop it.
std::uint64_t waitingBoundMs();

}  // namespace matrix
