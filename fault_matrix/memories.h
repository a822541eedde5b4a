// The card's memories as the matrix compares them: what the card model
// keeps in its state directory, one file per memory.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace matrix {

using Bytes = std::vector<std::uint8_t>;

enum Memory { kDevice1, kDevice5, kDevice7, kMicro, kEdid, kGamma, kFpga, kMemoryCount };

// The memory's file in the state directory, which is also its name in reports.
const char* memoryFile(Memory memory);

struct Memories {
    std::array<Bytes, kMemoryCount> of;
};

// A set of memories, one bit per Memory.
using MemorySet = unsigned;
constexpr MemorySet only(Memory memory) { return 1u << memory; }
constexpr bool holds(MemorySet set, Memory memory) { return (set >> memory) & 1u; }

// Writes every memory that holds something into `dir`.
void writeMemories(const std::string& dir, const Memories& memories);

// Reads every memory of `dir` (a missing file reads as empty).
Memories readMemories(const std::string& dir);

// Whether `memory` holds the same in `a` and `b`. Flash memories (the
// devices and the microcontroller's flash) read 0xFF where nothing is
// written, so a shorter one equals a longer one that has only 0xFF beyond
// it; the other memories must be equal byte for byte.
bool sameContent(Memory memory, const Bytes& a, const Bytes& b);

}  // namespace matrix
