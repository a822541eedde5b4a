#include "sim/boot/kernel_load.h"

#include "sim/card_choices.h"

namespace sim {

void KernelLoad::restart() {
    lengthBytes_ = 0;
    length_ = 0;
    received_ = 0;
    sum_ = 0;
}

KernelLoad::Result KernelLoad::take(std::uint8_t byte) {
    if (lengthBytes_ < 4) {
        length_ = length_ << 8 | byte;
        if (++lengthBytes_ < 4) return Result::kLengthByte;
        if (length_ == 0 || length_ > choices::kMaxKernelLength) {
            restart();
            return Result::kRefused;
        }
        return Result::kLength;
    }
    if (received_ < length_) {
        sum_ = static_cast<std::uint8_t>(sum_ + byte);
        ++received_;
        return received_ == length_ ? Result::kLastByte : Result::kMore;
    }
    bool right = static_cast<std::uint8_t>(sum_ + sumConstant_ + byte) == 0;
    restart();
    return right ? Result::kLoaded : Result::kRefused;
}

}  // namespace sim
