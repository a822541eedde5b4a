#include "sim/microcontroller.h"

#include <algorithm>
#include <iterator>

#include "sim/card_choices.h"

namespace sim {

Microcontroller::Microcontroller(const CardOptions& options, CardMemory& memory, ReplySink& out)
    : out_(out),
      menuOnly_(options.oldFirmwareMenuOnly),
      vxp_(options, memory),
      firmware_(options, memory, vxp_, out),
      boot_(options, memory, out),
      program_(options.bootMode      ? Program::kBoot
               : options.oldFirmware ? Program::kOldFirmware
                                     : Program::kFirmware) {}

std::uint32_t Microcontroller::listeningBaud() const {
    return program_ == Program::kBoot ? boot_.baud() : choices::kFirmwareBaud;
}

void Microcontroller::receive(std::uint8_t byte, Nanos at) {
    switch (program_) {
        case Program::kFirmware:
            firmware_.receive(byte, at);
            if (firmware_.bootProgramCalled()) program_ = Program::kBoot;
            break;
        case Program::kOldFirmware:
            oldFirmware(byte, at);
            break;
        case Program::kBoot:
            boot_.receive(byte, at);
            break;
    }
}

void Microcontroller::oldFirmware(std::uint8_t byte, Nanos at) {
    if (byte == choices::kOldFirmwareBootKey) {
        program_ = Program::kBoot;
    } else if (!menuOnly_ || std::find(std::begin(choices::kOldFirmwareMenuKeys),
                                       std::end(choices::kOldFirmwareMenuKeys),
                                       byte) != std::end(choices::kOldFirmwareMenuKeys)) {
        out_.reply(at, choices::kOldFirmwareMenu);
    }
}

}  // namespace sim
