// Everything that shapes one simulated card: its identity, where it keeps its
// memories, and the faults it injects (all reproducible from the seed).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "sim/boot/boot_fault.h"

namespace sim {

struct CardOptions {
    // Identity, as the firmware reports it.
    std::string model = "SDITOHDMI";  // the word of the model reply
    std::string firmware = "V2.05";   // the firmware version word
    int variant = 1;                  // the variant digit; 2 marks the PLUS variant

    // What runs on the microcontroller at power-up.
    bool bootMode = false;             // only the boot program (silent at 115200 bit/s)
    bool oldFirmware = false;          // a firmware that knows only its menu keys
    bool oldFirmwareMenuOnly = false;  // the old firmware answers its menu keys only, not the probe

    // The video processor's status report, as its resident firmware gives it.
    std::string vxpName = "VXP-CORE 2.1";     // 12 characters, blank-padded
    std::uint16_t vxpStatus = 0x0002;         // OSD load status (high byte), config status (low byte)
    std::uint16_t vxpDeviceType = 0x5361;     // printed as GF5361
    std::uint16_t vxpMemoryFlags = 0x3F11;    // video SDRAM 1-5, OSD SDRAM 1, flash CS0 and CS4
    std::uint16_t osdCalibration = 0x000F;    // bytes 0-3 passed
    std::uint16_t videoCalibration = 0x03FF;  // bytes 0-9 passed

    // The card's memories as files; empty keeps them in memory only.
    std::string stateDir;

    // The card keeps the line's time: bytes take their real time on the
    // wire (10 bit times each), answers leave after their processing time,
    // and the card is busy in the pauses the host gives it. The simulated
    // platform always paces; cardsim unless --fast.
    bool paced = true;

    // Faults. Rates are probabilities per byte (noise, drop, corrupt), per
    // ISP packet (nack) or per reply (late), from 0 to 1.
    bool silent = false;
    double noise = 0.0;
    double drop = 0.0;
    double corrupt = 0.0;
    double nack = 0.0;
    std::uint16_t nackCode = 0;     // nack refuses only packets of this ISP code (0: of any code)
    double late = 0.0;              // per reply: it leaves lateBy late
    std::uint64_t lateByMs = 4000;  // beyond the tool's packet and text waits
    std::uint64_t vanishAfter = 0;  // the card goes away after receiving this many bytes (0: never)
    // The card loses power once this many bytes have crossed the line, both
    // ways counted, and starts again as at power-on (0: never).
    std::uint64_t restartAfter = 0;
    // The card is unplugged once this many bytes have crossed the line, both
    // ways counted (0: never), and a card with the same memories is plugged
    // in again goneForMs later (0: never).
    std::uint64_t unplugAfter = 0;
    std::uint64_t goneForMs = 0;
    std::uint64_t seed = 1;
    // The line's drops and corruptions spare the host's bytes: only what the
    // card sends is harmed (for transfers whose data the card cannot check).
    bool faultsSpareHostBytes = false;
    BootFault bootFault;  // what goes wrong in the boot program or its kernels (late uses lateByMs)

    // Faults of the content transfers (see sim/card_choices.h); 0 or false: none.
    std::uint64_t fpgaErrorEvery = 0;  // an error report "$E" before every Nth FPGA request
    std::uint64_t fpgaStallAt = 0;     // the first block request from the Nth on stalls inside
    std::uint64_t fpgaStallMs = 2000;  // for this long
    std::uint64_t fpgaFailAt = 0;      // "~F" in place of the Nth FPGA request
    bool contentWriteFails = false;    // the EDID and gamma memories refuse every write

    // How many received bytes Card::received() keeps (the first ones).
    std::size_t receivedLimit = 64u << 20;
};

}  // namespace sim
