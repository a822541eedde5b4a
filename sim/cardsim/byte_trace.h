// The --trace output: every chunk of bytes either way, with the time since
// start, in hexadecimal and as text, on standard error.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sim/line/busy_window.h"
#include "sim/line/serial_peer.h"

namespace cardsim {

class ByteTrace {
public:
    ByteTrace(bool enabled, sim::Nanos start) : enabled_(enabled), start_(start) {}

    void hostToCard(const std::uint8_t* bytes, std::size_t count, sim::Nanos at) const {
        print("host>card", bytes, count, at);
    }
    void cardToHost(const std::uint8_t* bytes, std::size_t count, sim::Nanos at) const {
        print("card>host", bytes, count, at);
    }
    void note(const char* text, std::uint32_t value, sim::Nanos at) const;
    // A byte the card lost while it was busy (its time is the card's).
    void violation(const sim::TimingViolation& lost) const;

private:
    void print(const char* direction, const std::uint8_t* bytes, std::size_t count, sim::Nanos at) const;

    bool enabled_;
    sim::Nanos start_;
};

}  // namespace cardsim
