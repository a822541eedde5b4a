// A sample FPGA configuration file in XSVF form, as a vendor's tool would
// write it for the card's FPGA: a comment, the retry count and run-test
// time, the device's identification, the configuration data as many
// XSDRTDO instructions of kXsvfDataChunk bytes (each one block request of
// the card's player), the start-up sequence and XCOMPLETE.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sim {

// Bytes of configuration data per XSDRTDO (its TDI half).
constexpr std::size_t kXsvfDataChunk = 16384;

// The smallest sample: the instructions around the configuration data.
constexpr std::size_t kXsvfMinimumSize = 256;

// A sample of exactly `size` bytes (at least kXsvfMinimumSize).
std::vector<std::uint8_t> xsvfSample(std::size_t size);

}  // namespace sim
