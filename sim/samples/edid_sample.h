// Sample EDID images for the cards with an EDID memory: the base block of
// a 1080p sink with its name and range limits (128 bytes), and the same
// with a CTA-861 extension block listing its video formats, audio and HDMI
// data (256 bytes). Every block sums to 0 modulo 256.
#pragma once

#include <cstdint>
#include <vector>

namespace sim {

// `blocks` is 1 or 2.
std::vector<std::uint8_t> edidSample(int blocks);

}  // namespace sim
