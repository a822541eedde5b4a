#include "sim/microcontroller.h"

#include "sim/card_choices.h"

namespace sim {

Microcontroller::Microcontroller(const CardOptions& options, CardMemory& memory, ReplySink& out)
    : out_(out),
      vxp_(options, memory),
      firmware_(options, memory, vxp_, out),
      program_(options.bootMode      ? Program::kBoot
               : options.oldFirmware ? Program::kOldFirmware
                                     : Program::kFirmware) {}

std::uint32_t Microcontroller::listeningBaud() const {
    return program_ == Program::kBoot ? choices::kBootBaud : choices::kFirmwareBaud;
}

void Microcontroller::receive(std::uint8_t byte, Nanos at) {
    switch (program_) {
        case Program::kFirmware:
            firmware_.receive(byte, at);
            break;
        case Program::kOldFirmware:
            oldFirmware(byte, at);
            break;
        case Program::kBoot:
            // The boot program's protocol is not modelled: it answers nothing.
            break;
    }
}

void Microcontroller::oldFirmware(std::uint8_t byte, Nanos at) {
    if (byte == choices::kOldFirmwareBootKey) {
        program_ = Program::kBoot;
    } else {
        out_.reply(at, choices::kOldFirmwareMenu);
    }
}

}  // namespace sim
