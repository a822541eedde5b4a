// The microcontroller's running firmware: answers the probe byte and its
// text commands, carries out the micro commands that steer the video
// processor, passes ISP packets to the video processor, and hands the line
// to a content transfer after a content command until the transfer ends.
#pragma once

#include <cstdint>
#include <memory>

#include "sim/memory/card_memory.h"
#include "sim/card_options.h"
#include "sim/content/content_session.h"
#include "sim/firmware/command_reader.h"
#include "sim/firmware/micro_mode.h"
#include "sim/line/busy_window.h"
#include "sim/line/reply_sink.h"
#include "sim/vxp/vxp.h"

namespace sim {

class Firmware {
public:
    Firmware(const CardOptions& options, CardMemory& memory, Vxp& vxp, ReplySink& out)
        : options_(options), memory_(memory), vxp_(vxp), out_(out), busy_(options.paced) {}

    void receive(std::uint8_t byte, Nanos at);

    // "#MICROMODE" and "#MICRO" came: the boot program takes over.
    bool bootProgramCalled() const { return microMode_.entered(); }

private:
    void textCommand(const Request& request, Nanos at);
    void microCommand(char letter, Nanos at);
    void packet(const Request& request, Nanos at);

    const CardOptions& options_;
    CardMemory& memory_;
    Vxp& vxp_;
    ReplySink& out_;
    BusyWindow busy_;
    CommandReader reader_;
    MicroModeEntry microMode_;
    std::unique_ptr<ContentSession> transfer_;
};

}  // namespace sim
