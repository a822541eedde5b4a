#include "sim/firmware/old_firmware.h"

#include <algorithm>
#include <iterator>

#include "sim/card_choices.h"

namespace sim {

void OldFirmware::receive(std::uint8_t byte, Nanos at) {
    if (byte == choices::kOldFirmwareBootKey) {
        bootProgramCalled_ = true;
    } else if (!menuOnly_ ||
               std::find(std::begin(choices::kOldFirmwareMenuKeys), std::end(choices::kOldFirmwareMenuKeys),
                         byte) != std::end(choices::kOldFirmwareMenuKeys)) {
        out_.reply(at, choices::kOldFirmwareMenu);
    }
}

}  // namespace sim
