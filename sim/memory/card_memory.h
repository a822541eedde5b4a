// The card's memories that outlive a run: flash devices 1, 5 and 7 and the
// microcontroller's flash, kept as files (device1.bin, device5.bin,
// device7.bin, micro.bin) in a state directory when one is given, and the
// memories of the content commands (content_memory.h). A memory never
// written is kept as an empty file: the card it is loaded into starts as
// made (micro.bin: with the firmware the card was made with).
#pragma once

#include <array>
#include <string>

#include "sim/memory/content_memory.h"
#include "sim/memory/flash_device.h"
#include "sim/memory/micro_flash.h"

namespace sim {

class CardMemory {
public:
    // Loads the files of `stateDir` (empty: memory only); a missing file
    // leaves its device empty.
    explicit CardMemory(std::string stateDir);

    // Device 1, 5 or 7; nullptr for any other number.
    FlashDevice* flash(int device);
    const FlashDevice* flash(int device) const;

    // The microcontroller's flash, kept as micro.bin.
    MicroFlash& micro() { return micro_; }
    const MicroFlash& micro() const { return micro_; }
    // The EDID memory, the gamma table, the FPGA configuration and the
    // text command log.
    ContentMemory& content() { return content_; }
    const ContentMemory& content() const { return content_; }

    // Writes every memory into the state directory, each file replaced as
    // a whole. Failures are reported on standard error.
    void save() const;

private:
    std::string stateDir_;
    ContentMemory content_;
    std::array<FlashDevice, 3> devices_;
    MicroFlash micro_;
};

}  // namespace sim
