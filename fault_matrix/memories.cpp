#include "fault_matrix/memories.h"

#include <algorithm>

#include "sim/memory/state_file.h"

namespace matrix {

namespace {
const std::string kFiles[kMemoryCount] = {sim::stateFile::device(1),          sim::stateFile::device(5),
                                          sim::stateFile::device(7),          std::string(sim::stateFile::kMicro),
                                          std::string(sim::stateFile::kEdid), std::string(sim::stateFile::kGamma),
                                          std::string(sim::stateFile::kFpga)};

constexpr std::uint8_t kErased = 0xFF;

bool isFlash(Memory memory) {
    return memory == kDevice1 || memory == kDevice5 || memory == kDevice7 || memory == kMicro;
}
}  // namespace

const char* memoryFile(Memory memory) { return kFiles[memory].c_str(); }

void writeMemories(const std::string& dir, const Memories& memories) {
    for (int m = 0; m < kMemoryCount; ++m) {
        if (!memories.of[m].empty()) sim::writeFile(sim::stateFile::in(dir, kFiles[m]), memories.of[m]);
    }
}

Memories readMemories(const std::string& dir) {
    Memories memories;
    for (int m = 0; m < kMemoryCount; ++m) memories.of[m] = sim::readFile(sim::stateFile::in(dir, kFiles[m]));
    return memories;
}

bool sameContent(Memory memory, const Bytes& a, const Bytes& b) {
    if (!isFlash(memory)) return a == b;
    const Bytes& shorter = a.size() <= b.size() ? a : b;
    const Bytes& longer = a.size() <= b.size() ? b : a;
    return std::equal(shorter.begin(), shorter.end(), longer.begin()) &&
           std::all_of(longer.begin() + static_cast<std::ptrdiff_t>(shorter.size()), longer.end(),
                       [](std::uint8_t byte) { return byte == kErased; });
}

}  // namespace matrix
