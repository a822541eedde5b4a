// A kernel loaded through the micro kernel: a four-byte length (most
// significant byte first), the bytes, and a sum byte such that the bytes,
// the kernel's sum constant and the sum byte add up to 0 modulo 256.
#pragma once

#include <cstdint>

namespace sim {

class KernelLoad {
public:
    explicit KernelLoad(std::uint8_t sumConstant) : sumConstant_(sumConstant) {}

    enum class Result {
        kLengthByte,  // one of the length bytes, more to come
        kLength,      // the last length byte
        kMore,        // a kernel byte, more to come
        kLastByte,    // the kernel's last byte: its sum comes next
        kLoaded,
        kRefused,
    };

    // A length outside 1 to kMaxKernelLength is refused at once, a wrong sum
    // at the end; after a result the next byte starts a new load.
    Result take(std::uint8_t byte);

private:
    void restart();

    std::uint8_t sumConstant_;
    int lengthBytes_ = 0;
    std::uint32_t length_ = 0;
    std::uint32_t received_ = 0;
    std::uint8_t sum_ = 0;
};

}  // namespace sim
