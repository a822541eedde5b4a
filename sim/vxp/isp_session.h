// The flash access the video processor's programs share: Set ISP mode
// selects a device, a direction and a range; image blocks program it, read
// requests read it 32 bytes at a time; a status request tells the
// selection. Devices 5 and 7 are erased as a whole when a write starts at
// 0x100, device 1 from the start of its first write; either takes time.
// Later writes to device 1 erase from their start at once.
#pragma once

#include <array>
#include <cstdint>

#include "sim/memory/card_memory.h"
#include "sim/vxp/isp_packet.h"
#include "sim/line/serial_peer.h"

namespace sim {

class IspSession {
public:
    explicit IspSession(CardMemory& memory) : memory_(memory) {}

    // Forgets the selection and which devices were erased (the program
    // holding them stopped); every device can be selected again.
    void reset();

    // Only the devices in `devices` (bit n: device n) can be selected.
    void serveOnly(std::uint8_t devices) { served_ = devices; }

    bool erasing(Nanos at) const { return at < eraseEndsAt_; }

    // True once, for the first status request after devices 5 or 7 were
    // erased: the driver then unlocks the device for programming.
    bool unlockDue() {
        bool due = unlockDue_;
        unlockDue_ = false;
        return due;
    }

    // 0x502. Writing is refused unless `writeAllowed`.
    isp::Words setMode(const isp::Words& packet, Nanos at, bool writeAllowed);
    // 0x501
    isp::Words imageBlock(const isp::Words& packet);
    // 0x632
    isp::Words status() const;
    // 0x639
    isp::Words readBlock();

private:
    enum Mode : std::uint16_t { kNone = 0, kWrite = 1, kRead = 2 };

    CardMemory& memory_;
    Mode mode_ = kNone;
    int device_ = 0;
    std::uint32_t address_ = 0;
    std::uint32_t end_ = 0;
    Nanos eraseEndsAt_ = 0;
    bool unlockDue_ = false;
    std::array<bool, 8> erasedInRun_{};
    std::uint8_t served_ = 0xFF;
};

}  // namespace sim
