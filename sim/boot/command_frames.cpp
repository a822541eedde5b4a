#include "sim/boot/command_frames.h"

#include "sim/card_choices.h"

namespace sim {

std::size_t CommandFrames::expectedLength() const {
    auto command = static_cast<std::uint8_t>(frame_[0]);
    switch (command) {
    case 0x06:
    case 0x27:
    case 0x40:
    case 0x43:
    case 0x4F: return 1;
    case choices::kProgramCommand: return choices::kProgramFrameLength;
    default:
        // Command, size, the size's bytes, sum; the size is not known yet.
        return frame_.size() < 2 ? 2 : 3 + static_cast<std::uint8_t>(frame_[1]);
    }
}

std::optional<std::string> CommandFrames::take(std::uint8_t byte) {
    frame_.push_back(static_cast<char>(byte));
    if (frame_.size() < expectedLength()) return std::nullopt;
    std::string frame;
    frame.swap(frame_);
    return frame;
}

}  // namespace sim
