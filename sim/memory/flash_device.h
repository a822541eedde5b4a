// One flash device behind the video processor: programming only clears
// bits, erasing sets them again; the device remembers its content from
// address 0 up to the highest byte written since it was last erased.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sim {

class FlashDevice {
public:
    explicit FlashDevice(std::uint32_t capacity) : capacity_(capacity) {}

    std::uint32_t capacity() const { return capacity_; }
    const std::vector<std::uint8_t>& content() const { return content_; }

    // Takes `content` as the device's content, cut at the capacity.
    void restore(std::vector<std::uint8_t> content);

    // Programs `count` bytes at `address` (within the capacity): each byte
    // becomes its old value AND the new one.
    void program(std::uint32_t address, const std::uint8_t* data, std::size_t count);

    // Erases everything from `address` to the end of the device.
    void eraseFrom(std::uint32_t address);

    // The byte at `address`: 0xFF where nothing was written.
    std::uint8_t read(std::uint32_t address) const;

private:
    std::uint32_t capacity_;
    std::vector<std::uint8_t> content_;
};

}  // namespace sim
