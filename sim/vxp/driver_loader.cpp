#include "sim/vxp/driver_loader.h"

#include <algorithm>

#include "sim/card_choices.h"
#include "sim/vxp/isp_codes.h"
#include "sim/vxp/isp_replies.h"

namespace sim {

namespace {
constexpr std::uint32_t kBlockBytes = 16;
constexpr std::size_t kBlockCount = choices::kDriverMemorySize / kBlockBytes;
}  // namespace

void DriverLoader::clear() {
    loaded_.clear();
    memory_.clear();
}

isp::Words DriverLoader::block(const isp::Words& packet) {
    std::uint32_t address = (static_cast<std::uint32_t>(packet[1] >> 12) << 16) | packet[2];
    if (address % kBlockBytes != 0 || address + kBlockBytes > choices::kDriverMemorySize) {
        return isp::nack(isp::kDriverBlock, choices::kNackBadArguments);
    }
    if (loaded_.empty()) {
        loaded_.assign(kBlockCount, false);
        memory_.assign(choices::kDriverMemorySize, 0);
    }
    for (std::uint32_t k = 0; k < kBlockBytes / 2; ++k) {
        memory_[address + 2 * k] = static_cast<std::uint8_t>(packet[3 + k] & 0xFF);
        memory_[address + 2 * k + 1] = static_cast<std::uint8_t>(packet[3 + k] >> 8);
    }
    loaded_[address / kBlockBytes] = true;
    return isp::ack(isp::kDriverBlock);
}

DriverLoader::Call DriverLoader::call(const isp::Words& packet) const {
    if (!std::equal(std::begin(choices::kCallDriverWords), std::end(choices::kCallDriverWords),
                    packet.begin() + 1)) {
        return {isp::nack(isp::kCallDriver, choices::kNackBadArguments), false, 0};
    }
    std::size_t first = choices::kDriverStart / kBlockBytes;
    if (loaded_.empty() || !loaded_[first]) return {isp::nack(isp::kCallDriver, choices::kNackNotNow), false, 0};
    auto end = std::find(loaded_.begin() + static_cast<std::ptrdiff_t>(first), loaded_.end(), false);
    if (std::find(end, loaded_.end(), true) != loaded_.end()) {
        return {isp::nack(isp::kCallDriver, choices::kNackNotNow), false, 0};
    }
    return {isp::ack(isp::kCallDriver), true, servedDevices()};
}

std::uint8_t DriverLoader::servedDevices() const {
    for (const choices::DriverTitle& driver : choices::kDriverTitles) {
        if (driver.title.size() <= memory_.size() - choices::kDriverStart &&
            std::equal(driver.title.begin(), driver.title.end(), memory_.begin() + choices::kDriverStart)) {
            return driver.devices;
        }
    }
    return choices::kUntitledDriverDevices;
}

}  // namespace sim
