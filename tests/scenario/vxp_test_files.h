// Update files for the flash commands' tests: images whose blocks all differ,
// and the blocks the card should receive from them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/scenario/link_wire_forms.h"

namespace vxptest {

// `size` bytes of a fixed pseudo-random sequence, different for each `seed`.
inline std::string imageBytes(std::size_t size, std::uint32_t seed = 1) {
    std::string bytes(size, '\0');
    std::uint32_t x = seed * 2654435761u + 12345u;
    for (char& b : bytes) {
        x = x * 1103515245u + 12345u;
        b = static_cast<char>(x >> 16);
    }
    return bytes;
}

// The data words of the `blockSize`-byte block at `address`, low byte
// first, bytes past the end of the image as erased flash (0xFF).
inline wire::Words blockWords(const std::string& image, std::size_t address, std::size_t blockSize) {
    wire::Words words;
    for (std::size_t k = 0; k < blockSize; k += 2) {
        auto byteAt = [&](std::size_t i) -> unsigned {
            return i < image.size() ? static_cast<unsigned char>(image[i]) : 0xFFu;
        };
        words.push_back(static_cast<std::uint16_t>(byteAt(address + k) | byteAt(address + k + 1) << 8));
    }
    return words;
}

// The 32-byte image blocks at `addresses`, in that order.
inline std::vector<wire::Words> imageBlocksAt(const std::string& image,
                                              const std::vector<std::size_t>& addresses) {
    std::vector<wire::Words> blocks;
    for (std::size_t address : addresses) blocks.push_back(blockWords(image, address, 32));
    return blocks;
}

}  // namespace vxptest
