// Waiting for input on a port. A silent line is waited on every
// millisecond, so a wait must cost little: on Linux each port gets an epoll
// instance that watches it for its whole life, so that a wait does not
// register with the terminal driver and unregister again each time;
// elsewhere the port itself is polled.
#pragma once

#include <cstdint>

namespace posix {

// Starts watching `fd` for input; returns what waitForInput takes, or -1
// (errno set).
int watchInput(int fd);

// Ends a watch that watchInput returned (before its descriptor is closed).
void unwatchInput(int watch);

// Waits at least `timeoutMs` for input unless it comes first, resuming after
// signals; standard output is flushed first. Returns poll's events (POLLIN,
// POLLHUP, POLLERR), 0 when the time ran out, or -1 with errno set.
int waitForInput(int watch, std::uint64_t timeoutMs);

}  // namespace posix
