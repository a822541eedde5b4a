// The ISP command codes the video processor's programs know.
#pragma once

#include <cstdint>

namespace sim::isp {

constexpr std::uint16_t kDriverBlock = 0x50D;
constexpr std::uint16_t kCallDriver = 0x802;
constexpr std::uint16_t kSetMode = 0x502;
constexpr std::uint16_t kImageBlock = 0x501;
constexpr std::uint16_t kModeStatus = 0x632;
constexpr std::uint16_t kReadBlock = 0x639;
constexpr std::uint16_t kDeviceName = 0x633;
constexpr std::uint16_t kVxpStatus = 0x62F;
constexpr std::uint16_t kCalibration = 0x61A;

}  // namespace sim::isp
