// The lower bounds of the content transfers, from the tool's command to the
// card's verdict: the mandated pauses and quiet waits, the card's own waits
// (XRUNTEST, XWAIT) and every byte's time on the wire both ways, at 115200
// bit/s. Processing times on either side are not counted.
#pragma once

#include <cstdint>
#include <vector>

namespace bench {

constexpr double kByteSeconds = 10.0 / 115200;

// FPGA: the 500 ms pause after the command (the card's first request
// crosses the line within it), then per request a 50 ms quiet wait, the
// request's bytes and the data's bytes, the card's waits, and "~S".
double fpgaBound(const std::vector<std::uint8_t>& xsvf);

// EDID: the 500 ms pause, each byte and its '.', the sum, "~S".
double edidBound(std::size_t imageBytes);

// GAMMA: the 100 ms pause, the drain's 1 ms read that brings nothing, each
// value's two bytes and its '.', the sum, "~S".
double gammaBound();

}  // namespace bench
