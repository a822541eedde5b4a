// The card's microcontroller as the serial line sees it: it runs one of its
// programs (its firmware, an old firmware that knows only its menu keys, or
// its boot program) and listens at the bit rate of the one it runs.
#pragma once

#include <cstdint>
#include <optional>

#include "sim/boot/boot_program.h"
#include "sim/card_options.h"
#include "sim/firmware/firmware.h"
#include "sim/firmware/old_firmware.h"
#include "sim/line/reply_sink.h"
#include "sim/memory/card_memory.h"
#include "sim/vxp/vxp.h"

namespace sim {

class Microcontroller {
public:
    // `restartedAt`: the card starts at that time from power-on (it takes
    // kPowerOnTime); without it, it has been running since before the host
    // began.
    Microcontroller(const CardOptions& options, CardMemory& memory, ReplySink& out,
                    std::optional<Nanos> restartedAt = std::nullopt);

    std::uint32_t listeningBaud() const;

    // A byte the card received at `at`.
    void receive(std::uint8_t byte, Nanos at);

private:
    enum class Program { kFirmware, kOldFirmware, kBoot };

    void startBootProgram(Nanos at);

    Vxp vxp_;
    Firmware firmware_;
    OldFirmware oldFirmware_;
    BootProgram boot_;
    Program program_;
    Nanos runningFrom_;
};

}  // namespace sim
