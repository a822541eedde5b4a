#include "sim/firmware/micro_mode.h"

#include "sim/card_choices.h"

namespace sim {

std::optional<std::string_view> MicroModeEntry::answer(std::string_view line) {
    bool readied = readied_;
    readied_ = false;
    if (line == "MICROMODE") {
        readied_ = true;
        return choices::kMicroModeAnswer;
    }
    if (line != "MICRO") return std::nullopt;
    if (!readied) return choices::kUnknownTextCommandAnswer;
    entered_ = true;
    return std::string_view();
}

}  // namespace sim
