// When the host's program gets the bytes that have reached its serial port.
// The card model says when a byte reaches the port's receiver (its stop bit
// has crossed the line); the program sees it later, together with others,
// as the port's hardware and driver pass bytes on:
//   - a USB-serial adapter passes what it has received at every tick of its
//     latency timer (1 ms unless set otherwise);
//   - a 16550 UART interrupts when its FIFO holds `threshold` bytes, or when
//     four character times pass without a new byte;
//   - byte by byte: each byte as it arrives, the most wake-ups a reader can
//     get (and bytes that arrive at the same moment, as on an unpaced card,
//     together).
#pragma once

#include <cstddef>

#include "sim/line/serial_peer.h"

namespace sim {

struct HostDelivery {
    enum class Kind { kAdapter, kUart, kEachByte };
    Kind kind = Kind::kAdapter;
    Nanos latency = 1000000;     // adapter: its latency timer's period
    Nanos timerStart = 0;        // adapter: when its timer started; it ticks every `latency` from then
    std::size_t threshold = 14;  // UART: the FIFO's trigger level, 1 to kLargestThreshold
};

constexpr std::size_t kLargestThreshold = 16;  // a 16550's FIFO

struct Chunk {
    std::size_t count;  // the first `count` bytes go together
    Nanos at;           // and the host gets them at this moment
};

// The first chunk of the bytes that reach the host's port at `arrivals` (in
// order, `known` >= 1 of them, as far as they are known: a byte after the
// last one known counts as not coming), for a port at `characterTime` a
// byte. Bytes that become known later can change the answer: ask again
// then. Given the first of many arrivals only (at least kLargestThreshold),
// the answer holds for them, and the rest that go at the same moment make
// the next chunk.
Chunk firstChunk(const HostDelivery& delivery, const Nanos* arrivals, std::size_t known, Nanos characterTime);

}  // namespace sim
