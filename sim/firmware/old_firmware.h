// The microcontroller's old firmware: it knows only its menu keys, answers
// with its menu, and starts the boot program on "6".
#pragma once

#include <cstdint>

#include "sim/card_options.h"
#include "sim/line/busy_window.h"
#include "sim/line/reply_sink.h"

namespace sim {

class OldFirmware {
public:
    OldFirmware(const CardOptions& options, ReplySink& out)
        : menuOnly_(options.oldFirmwareMenuOnly), out_(out), busy_(options.paced) {}

    void receive(std::uint8_t byte, Nanos at);

    // "6" came: the boot program takes over.
    bool bootProgramCalled() const { return bootProgramCalled_; }

private:
    bool menuOnly_;
    ReplySink& out_;
    BusyWindow busy_;
    bool bootProgramCalled_ = false;
};

}  // namespace sim
