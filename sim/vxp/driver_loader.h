// The video processor's ISP loader: takes the driver's 16-byte blocks
// (0x50D) into program memory and starts the driver on the call-driver
// packet (0x802) when a whole driver was loaded: blocks contiguous from
// 0x800, the call naming 0x800 as the start.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/vxp/isp_packet.h"

namespace sim {

class DriverLoader {
public:
    // Forgets every block loaded.
    void clear();

    // 0x50D
    isp::Words block(const isp::Words& packet);

    // 0x802: the reply, whether the driver now runs, and the devices it
    // serves (bit n: device n), told by the title its code opens with.
    struct Call {
        isp::Words reply;
        bool started;
        std::uint8_t devices;
    };
    Call call(const isp::Words& packet) const;

private:
    std::uint8_t servedDevices() const;

    std::vector<bool> loaded_;  // per 16-byte block of program memory
    std::vector<std::uint8_t> memory_;
};

}  // namespace sim
