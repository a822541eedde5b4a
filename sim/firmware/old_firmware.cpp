#include "sim/firmware/old_firmware.h"

#include <algorithm>
#include <iterator>

#include "sim/card_choices.h"

namespace sim {

void OldFirmware::receive(std::uint8_t byte, Nanos at) {
    if (!busy_.takes(at, out_)) return;
    if (byte == choices::kOldFirmwareBootKey) {
        bootProgramCalled_ = true;
        return;
    }
    bool menuKey = std::find(std::begin(choices::kOldFirmwareMenuKeys), std::end(choices::kOldFirmwareMenuKeys),
                             byte) != std::end(choices::kOldFirmwareMenuKeys);
    if (!menuKey && menuOnly_) return;
    out_.reply(at, choices::kOldFirmwareMenu);
    if (std::find(std::begin(choices::kOldFirmwareScreenKeys), std::end(choices::kOldFirmwareScreenKeys), byte) !=
        std::end(choices::kOldFirmwareScreenKeys)) {
        busy_.start(at, choices::kMenuScreenTime, choices::kDrawingMenuScreen);
    }
}

}  // namespace sim
