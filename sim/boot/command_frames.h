// Assembles the boot kernels' requests from single bytes: a one-byte command
// (0x06, 0x27, 0x40, 0x43, 0x4F), a programming frame (0x50, four address
// bytes, 128 data bytes, a sum), or a command byte, a size byte n, n bytes
// and a sum.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sim {

class CommandFrames {
public:
    // The whole request once `byte` completes one.
    std::optional<std::string> take(std::uint8_t byte);

    // The bytes of the request taken so far (none once it is complete).
    const std::string& pending() const { return frame_; }

private:
    std::size_t expectedLength() const;
    std::string frame_;
};

}  // namespace sim
