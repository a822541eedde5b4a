#include "bench/matrix/memories.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace matrix {

namespace {
constexpr const char* kFiles[kMemoryCount] = {"device1.bin", "device5.bin", "device7.bin", "micro.bin",
                                              "edid.bin",    "gamma.bin",   "fpga.xsvf"};

constexpr std::uint8_t kErased = 0xFF;

bool isFlash(Memory memory) {
    return memory == kDevice1 || memory == kDevice5 || memory == kDevice7 || memory == kMicro;
}
}  // namespace

const char* memoryFile(Memory memory) { return kFiles[memory]; }

Bytes readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool writeBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

void writeMemories(const std::string& dir, const Memories& memories) {
    for (int m = 0; m < kMemoryCount; ++m) {
        if (!memories.of[m].empty()) writeBytes(dir + "/" + kFiles[m], memories.of[m]);
    }
}

Memories readMemories(const std::string& dir) {
    Memories memories;
    for (int m = 0; m < kMemoryCount; ++m) memories.of[m] = readBytes(dir + "/" + kFiles[m]);
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
