// What the video processor's resident firmware reports about itself: its
// name (0x633), its status (0x62F) and its SDRAM calibration (0x61A).
#pragma once

#include "sim/card_options.h"
#include "sim/vxp/isp_packet.h"

namespace sim {

class VxpStatusReport {
public:
    explicit VxpStatusReport(const CardOptions& options) : options_(options) {}

    isp::Words deviceName() const;
    isp::Words status() const;
    isp::Words calibration(const isp::Words& packet) const;

private:
    const CardOptions& options_;
};

}  // namespace sim
