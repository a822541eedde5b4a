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
#include "sim/line/serial_peer.h"
#include "sim/vxp/vxp_status_report.h"

namespace sim {

class Vxp {
public:
    Vxp(const CardOptions& options, CardMemory& memory);

    // The microcontroller's commands.
    void holdInReset();           // =MP: program mode, held in reset
    void releaseReset(Nanos at);  // =MR
    void endDownload();           // =MA: leaves program mode
    void endRun(Nanos at);        // =ME: back to the resident firmware

    // The reply to the packet whose encoded body (between "=G" and the
    // carriage return) arrived at `at`, and when it is ready. A packet that
    // arrives while the video processor starts is taken when it has
    // started; one that arrives while it is held in reset, or whose body
    // holds a byte the coding never sends, is lost.
    struct Reply {
        isp::Words words;
        Nanos at;
    };
    std::optional<Reply> packet(std::string_view body, Nanos at);

private:
    enum class Program { kResident, kLoader, kDriver };

    void restart(Nanos at, Program into);
    void catchUp(Nanos at);
    void start(Program program);
    bool willRun(Program program) const;
    isp::Words answer(const isp::Decoded& decoded, Nanos at);
    isp::Words execute(const isp::Words& packet, Nanos at);

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
};

}  // namespace sim
