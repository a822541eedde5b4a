// The video processor: held in reset or running one of its programs (the
// resident firmware, the ISP loader, the ISP driver), as the
// microcontroller's commands leave it, and answering ISP packets with the
// program that runs.
#pragma once

#include <optional>
#include <string_view>

#include "sim/memory/card_memory.h"
#include "sim/card_options.h"
#include "sim/vxp/driver_loader.h"
#include "sim/line/fault_dice.h"
#include "sim/vxp/isp_packet.h"
#include "sim/vxp/isp_session.h"
#include "sim/line/reply_sink.h"
#include "sim/line/serial_peer.h"
#include "sim/vxp/vxp_status_report.h"

namespace sim {

class Vxp {
public:
    // `line` is told of the packets lost while the video processor was busy.
    Vxp(const CardOptions& options, CardMemory& memory, ReplySink& line);

    // The microcontroller's commands.
    void holdInReset();           // =MP: program mode, held in reset
    void releaseReset(Nanos at);  // =MR
    void endDownload();           // =MA: leaves program mode
    void endRun(Nanos at);        // =ME: back to the resident firmware

    // The reply to the packet whose encoded body (between "=G" and the
    // carriage return) arrived at `at`, and when it is ready. A packet that
    // arrives while the video processor restarts into its resident firmware
    // is taken when it has started; one that arrives while it is held in
    // reset, restarts into its loader, starts the driver or unlocks a
    // device (sim/card_choices.h), or whose body holds a byte the coding
    // never sends, is lost.
    struct Reply {
        isp::Words words;
        Nanos at;
    };
    std::optional<Reply> packet(std::string_view body, Nanos at);

private:
    enum class Program { kResident, kLoader, kDriver };

    void restart(Nanos at, Program into, Nanos takes);
    void catchUp(Nanos at);
    void start(Program program);
    // What the video processor is busy with at `at` that loses a packet;
    // empty when it takes one.
    std::string_view busyAt(Nanos at) const;
    bool willRun(Program program) const;
    isp::Words answer(const isp::Decoded& decoded, Nanos at);
    isp::Words execute(const isp::Words& packet, Nanos at);

    bool paced_;
    ReplySink& line_;
    double nackRate_;
    std::uint16_t nackCode_;
    FaultDice nackDice_;
    DriverLoader loader_;
    IspSession session_;
    VxpStatusReport report_;

    bool programMode_ = false;
    bool heldInReset_ = false;
    bool running_ = true;
    Program program_ = Program::kResident;
    Nanos startsAt_ = 0;
    Program startsInto_ = Program::kResident;
    std::uint8_t driverDevices_ = 0;  // the devices the driver starting serves
    Nanos unlockedAt_ = 0;            // the driver unlocks an erased device until then
};

}  // namespace sim
