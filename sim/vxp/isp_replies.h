// The replies the video processor's programs give to ISP packets.
#pragma once

#include <cstdint>

#include "sim/card_choices.h"
#include "sim/vxp/isp_packet.h"

namespace sim::isp {

inline std::uint16_t replyCodeFor(std::uint16_t code) {
    return static_cast<std::uint16_t>(code + choices::kReplyCodeOffset);
}

// Accepted, nothing to report.
inline Words ack(std::uint16_t code) { return makePacket(replyCodeFor(code), {code}); }

// Accepted, with `data` (1 to 16 words).
inline Words dataReply(std::uint16_t code, const Words& data) { return makePacket(replyCodeFor(code), data); }

// Refused, for `reason`.
inline Words nack(std::uint16_t code, std::uint16_t reason) {
    return makePacket(choices::kNackCode, {code, reason});
}

}  // namespace sim::isp
