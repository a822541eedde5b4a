#include "sim/memory/flash_device.h"

#include <algorithm>

namespace sim {

namespace {
constexpr std::uint8_t kErased = 0xFF;
}

void FlashDevice::restore(std::vector<std::uint8_t> content) {
    if (content.size() > capacity_) content.resize(capacity_);
    content_ = std::move(content);
}

void FlashDevice::program(std::uint32_t address, const std::uint8_t* data, std::size_t count) {
    if (address >= capacity_) return;
    count = std::min<std::size_t>(count, capacity_ - address);
    if (content_.size() < address + count) content_.resize(address + count, kErased);
    for (std::size_t i = 0; i < count; ++i) content_[address + i] &= data[i];
}

void FlashDevice::eraseFrom(std::uint32_t address) {
    if (address < content_.size()) content_.resize(address);
}

std::uint8_t FlashDevice::read(std::uint32_t address) const {
    return address < content_.size() ? content_[address] : kErased;
}

}  // namespace sim
