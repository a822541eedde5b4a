#include "sim/microcontroller.h"

#include "sim/card_choices.h"

namespace sim {

namespace {

bool startsInBootMode(const CardOptions& options, const CardMemory& memory, bool restarted) {
    if (options.bootMode && !restarted) return true;
    return !memory.micro().holdsFirmware(!options.bootMode);
}

}  // namespace

Microcontroller::Microcontroller(const CardOptions& options, CardMemory& memory, ReplySink& out,
                                 std::optional<Nanos> restartedAt)
    : vxp_(options, memory, out),
      firmware_(options, memory, vxp_, out),
      oldFirmware_(options, out),
      boot_(options, memory, out),
      program_(startsInBootMode(options, memory, restartedAt.has_value()) ? Program::kBoot
               : options.oldFirmware                                       ? Program::kOldFirmware
                                                                           : Program::kFirmware),
      runningFrom_(restartedAt ? *restartedAt + choices::kPowerOnTime : 0) {}

void Microcontroller::startBootProgram(Nanos at) {
    program_ = Program::kBoot;
    boot_.startAt(at);
}

std::uint32_t Microcontroller::listeningBaud() const {
    return program_ == Program::kBoot ? boot_.baud() : choices::kFirmwareBaud;
}

void Microcontroller::receive(std::uint8_t byte, Nanos at) {
    if (at < runningFrom_) return;  // still starting
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
