// The far end of a serial line, as the host sees it: what the simulated
// platform and the pseudo-terminal front end both talk to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace sim {

// Time on the line, in nanoseconds from an arbitrary origin.
using Nanos = std::uint64_t;

class SerialPeer {
public:
    virtual ~SerialPeer() = default;

    // The bit rate the host's port is set to; bytes either way are read at it.
    virtual void setHostBaud(std::uint32_t baud) = 0;

    // The host puts `count` bytes on the line at `now`.
    virtual void hostWrite(const std::uint8_t* data, std::size_t count, Nanos now) = 0;

    // The time at which the next byte from the far end reaches the host, if
    // one reaches it no later than `until`.
    virtual std::optional<Nanos> nextArrival(Nanos until) = 0;

    // Hands over up to `max` bytes that have reached the host by `now`.
    virtual std::size_t hostRead(std::uint8_t* out, std::size_t max, Nanos now) = 0;

    // Which connection of the far end the host's port reaches at `now`: 0
    // while nothing is plugged in, then a number that changes each time a
    // device is plugged in again. A port opened on one connection fails once
    // it is gone.
    virtual std::uint64_t connection(Nanos) { return 1; }
};

}  // namespace sim
