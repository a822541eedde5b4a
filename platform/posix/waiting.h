// Real waits: the monotonic clock and bounded polls. Standard output is
// flushed before every wait, so that what the tool printed (a progress line
// without a line end included) shows while it waits, and what it wrote to
// its ports goes out (port_output.h).
#pragma once

#include <cstdint>
#include <functional>

namespace posix {

constexpr std::uint64_t kNanosPerMs = 1000000;

// Nanoseconds of CLOCK_MONOTONIC.
std::uint64_t monotonicNs();

// Whole milliseconds, rounded up, from now until `deadlineNs`; 0 once it
// has passed. A wait of that length never ends before the deadline.
std::uint64_t msUntil(std::uint64_t deadlineNs);

// Flushes standard output, then calls `waitMs` (a poll-like wait of at most
// the milliseconds given: events > 0, 0 when the time ran out, -1 with
// errno set) until something comes or at least `timeoutMs` have passed,
// resuming after signals. Returns what the last call returned.
int waitResuming(std::uint64_t timeoutMs, const std::function<int(int)>& waitMs);

// Waits at least `timeoutMs` for `events` on `fd` unless they come first,
// resuming after signals. Returns the events that came (0 when the time ran
// out), or -1 with errno set. A negative `fd` makes it a plain sleep. An
// interrupt ends the run here (see interrupts.h).
int waitFor(int fd, short events, std::uint64_t timeoutMs);

}  // namespace posix
