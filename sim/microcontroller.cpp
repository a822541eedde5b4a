#include "sim/microcontroller.h"

#include "sim/card_choices.h"

namespace sim {

Microcontroller::Microcontroller(const CardOptions& options, CardMemory& memory, ReplySink& out)
    : vxp_(options, memory, out),
      firmware_(options, memory, vxp_, out),
      oldFirmware_(options, out),
      boot_(options, memory, out),
      program_(options.bootMode      ? Program::kBoot
               : options.oldFirmware ? Program::kOldFirmware
                                     : Program::kFirmware) {}

void Microcontroller::startBootProgram(Nanos at) {
    program_ = Program::kBoot;
    boot_.startAt(at);
}

std::uint32_t Microcontroller::listeningBaud() const {
    return program_ == Program::kBoot ? boot_.baud() : choices::kFirmwareBaud;
}

void Microcontroller::receive(std::uint8_t byte, Nanos at) {
    switch (program_) {
    case Program::kFirmware:
        firmware_.receive(byte, at);
        if (firmware_.bootProgramCalled()) startBootProgram(at);
        break;
    case Program::kOldFirmware:
        oldFirmware_.receive(byte, at);
        if (oldFirmware_.bootProgramCalled()) startBootProgram(at);
        break;
    case Program::kBoot: boot_.receive(byte, at); break;
    }
}

}  // namespace sim
