// The card as the serial line sees it: the microcontroller runs its
// firmware, an old firmware that knows only its menu keys, or its boot
// program, and listens at the bit rate of what it runs.
#pragma once

#include <cstdint>

#include "sim/card_memory.h"
#include "sim/card_options.h"
#include "sim/firmware.h"
#include "sim/reply_sink.h"
#include "sim/vxp.h"

namespace sim {

class Card {
public:
    Card(const CardOptions& options, CardMemory& memory, ReplySink& out);

    std::uint32_t listeningBaud() const;

    // A byte the card received at `at`.
    void receive(std::uint8_t byte, Nanos at);

private:
    enum class Program { kFirmware, kOldFirmware, kBoot };

    void oldFirmware(std::uint8_t byte, Nanos at);

    ReplySink& out_;
    Vxp vxp_;
    Firmware firmware_;
    Program program_;
};

}  // namespace sim
