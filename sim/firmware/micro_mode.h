// The running firmware's way into the boot program: "#MICROMODE" readies
// the switch, "#MICRO" right after it restarts the microcontroller into its
// boot program (sim/card_choices.h).
#pragma once

#include <optional>
#include <string_view>

namespace sim {

class MicroModeEntry {
public:
    // The answer to the text command `line` when it is one of the two (an
    // empty one: nothing is sent); nullopt for any other command, which
    // also cancels a readied switch.
    std::optional<std::string_view> answer(std::string_view line);

    // "#MICRO" came after "#MICROMODE": the boot program runs from now on.
    bool entered() const { return entered_; }

private:
    bool readied_ = false;
    bool entered_ = false;
};

}  // namespace sim
