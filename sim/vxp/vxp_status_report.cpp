#include "sim/vxp/vxp_status_report.h"

#include "sim/card_choices.h"
#include "sim/vxp/isp_codes.h"
#include "sim/vxp/isp_replies.h"

namespace sim {

namespace {
constexpr std::size_t kNameLength = 12;
constexpr std::size_t kStatusWords = 14;
constexpr std::uint16_t kOsdCalibration[2] = {0x005E, 0x0B06};
constexpr std::uint16_t kVideoCalibration[2] = {0x007C, 0x0005};
}  // namespace

isp::Words VxpStatusReport::deviceName() const {
    std::string name = options_.vxpName;
    name.resize(kNameLength, ' ');
    isp::Words words;
    for (std::size_t i = 0; i < kNameLength; i += 2) {
        words.push_back(static_cast<std::uint16_t>((static_cast<std::uint8_t>(name[i]) << 8) |
                                                   static_cast<std::uint8_t>(name[i + 1])));
    }
    return isp::dataReply(isp::kDeviceName, words);
}

isp::Words VxpStatusReport::status() const {
    isp::Words words(kStatusWords, 0);
    words[0] = options_.vxpStatus;
    words[1] = options_.vxpDeviceType;
    words[kStatusWords - 1] = options_.vxpMemoryFlags;
    return isp::dataReply(isp::kVxpStatus, words);
}

isp::Words VxpStatusReport::calibration(const isp::Words& packet) const {
    std::uint16_t flags = 0;
    if (packet[1] == kOsdCalibration[0] && packet[2] == kOsdCalibration[1]) {
        flags = options_.osdCalibration;
    } else if (packet[1] == kVideoCalibration[0] && packet[2] == kVideoCalibration[1]) {
        flags = options_.videoCalibration;
    } else {
        return isp::nack(isp::kCalibration, choices::kNackBadArguments);
    }
    return isp::dataReply(isp::kCalibration, {packet[1], packet[2], flags});
}

}  // namespace sim
