#include "sim/memory/micro_flash.h"

#include <algorithm>

#include "sim/card_choices.h"

namespace sim {

namespace {
constexpr std::uint8_t kErased = 0xFF;
}

const std::vector<std::uint8_t>& MicroFlash::content() const {
    static const std::vector<std::uint8_t> erased(choices::kMicroFlashSize, kErased);
    return content_.empty() ? erased : content_;
}

const std::vector<std::uint8_t>& MicroFlash::savedContent() const {
    static const std::vector<std::uint8_t> asMade;
    return written_ ? content() : asMade;
}

void MicroFlash::restore(const std::vector<std::uint8_t>& content) {
    content_.clear();
    if (content.empty()) return;
    written_ = true;
    store();
    std::copy_n(content.begin(), std::min(content.size(), content_.size()), content_.begin());
}

void MicroFlash::erase() {
    content_.clear();
    written_ = true;
}

bool MicroFlash::holdsFirmware(bool madeWithOne) const {
    if (!written_) return madeWithOne;
    return std::any_of(content().begin(), content().begin() + 4, [](std::uint8_t byte) { return byte != kErased; });
}

bool MicroFlash::program(std::uint32_t address, const std::uint8_t* data, std::size_t count) {
    if (address > choices::kMicroFlashSize || count > choices::kMicroFlashSize - address) return false;
    store();
    written_ = true;
    for (std::size_t i = 0; i < count; ++i) content_[address + i] &= data[i];
    return true;
}

void MicroFlash::store() {
    if (content_.empty()) content_.assign(choices::kMicroFlashSize, kErased);
}

}  // namespace sim
