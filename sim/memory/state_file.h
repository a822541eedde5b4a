// The card's memories as files in its state directory: read at start,
// each replaced as a whole when written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// Up to `limit` bytes of the file at `path`; empty when it cannot be read.
std::vector<std::uint8_t> readFile(const std::string& path, std::size_t limit);

// Writes a sibling file first and renames it over the old one, so a file
// is never left half written. Failures are reported on standard error.
void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace sim
