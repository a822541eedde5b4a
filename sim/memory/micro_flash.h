// The microcontroller's own flash, written only through its boot program:
// erasing sets every byte to 0xFF, programming only clears bits. An erased
// flash keeps no bytes of its own (a card is made for every fuzz input).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sim {

class MicroFlash {
public:
    // The whole flash from address 0.
    const std::vector<std::uint8_t>& content() const;

    // What its state file keeps: the whole flash once it was written (an
    // erased flash too), nothing while it holds what the card was made with,
    // so that a card started again from the file starts as this one would.
    const std::vector<std::uint8_t>& savedContent() const;

    // Takes `content` from address 0 on; beyond it the flash reads erased.
    void restore(const std::vector<std::uint8_t>& content);

    void erase();

    // Whether the flash holds a firmware the microcontroller starts at
    // power-on: not once it was erased (by the boot program, or as its state
    // file was left) until its reset vector (the first four bytes) is
    // programmed again. A flash never written holds what the card was made
    // with (`madeWithOne`).
    bool holdsFirmware(bool madeWithOne) const;

    // Programs `count` bytes at `address`: each becomes its old value AND
    // the new one. False (nothing written) when they do not all fit.
    bool program(std::uint32_t address, const std::uint8_t* data, std::size_t count);

private:
    // Makes the flash's bytes its own, erased, if they are not yet.
    void store();

    std::vector<std::uint8_t> content_;  // empty while erased
    bool written_ = false;               // erased, programmed or restored since the card was made
};

}  // namespace sim
