#include "sim/memory/micro_flash.h"

#include <algorithm>

#include "sim/card_choices.h"

namespace sim {

namespace {
constexpr std::uint8_t kErased = 0xFF;
}

MicroFlash::MicroFlash() : content_(choices::kMicroFlashSize, kErased) {}

void MicroFlash::restore(const std::vector<std::uint8_t>& content) {
    erase();
    std::copy_n(content.begin(), std::min(content.size(), content_.size()), content_.begin());
}

void MicroFlash::erase() { std::fill(content_.begin(), content_.end(), kErased); }

bool MicroFlash::program(std::uint32_t address, const std::uint8_t* data, std::size_t count) {
    if (address > content_.size() || count > content_.size() - address) return false;
    for (std::size_t i = 0; i < count; ++i) content_[address + i] &= data[i];
    return true;
}

}  // namespace sim
