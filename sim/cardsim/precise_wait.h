// Waits on descriptors until a deadline to the nanosecond: a paced card hands
// bytes over when their time has come, not at the next millisecond.
#pragma once

#include <poll.h>

#include <optional>

#include "sim/line/serial_peer.h"

namespace cardsim {

// The real clock (CLOCK_MONOTONIC), in nanoseconds.
sim::Nanos monotonicNow();

// Lets this process's timed waits end as close to their deadlines as the
// system allows: on Linux a timer slack of 1 ns instead of 50 us, and
// (best effort, as the tool does for itself) a raised priority, so that
// work beside it does not hold a due byte back.
void sharpenTiming();

// Waits until one of `fds` is ready or `deadline` (on monotonicNow's clock)
// has come; without a deadline, until one is ready. Returns as poll does.
int waitUntil(pollfd* fds, nfds_t count, std::optional<sim::Nanos> deadline);

}  // namespace cardsim
