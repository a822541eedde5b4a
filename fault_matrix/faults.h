// The card faults of a run: which kinds can reach its command, and how
// each is set on the card, drawn from the run's dice.
#pragma once

#include <cstdint>
#include <string>

#include "fault_matrix/dice.h"
#include "fault_matrix/scenario.h"

namespace matrix {

// What a command is made of, beyond the scenario itself: which kinds of
// fault can reach it and how many bytes it sends at most.
struct Reach {
    bool isp = false;      // packets to the video processor (NACKs apply)
    bool boot = false;     // the boot program answers (its faults apply)
    bool fpga = false;     // an FPGA transfer (the player's faults apply)
    bool content = false;  // an EDID or gamma transfer (the "~E" verdict applies)
    // The tool's bytes go unchecked to the card (the FPGA's data, the remote
    // commands): the card takes a damaged byte as sent, and no host can tell.
    bool uncheckedToCard = false;
    std::uint64_t bytesSent = 22;  // the identification's
};

// Draws none, one or two faults among those that can reach the command,
// sets them on the scenario's card and names them in `faults` and
// `faultDetails`.
void injectFaults(Scenario& s, const Reach& reach, Dice& dice);

}  // namespace matrix
