#include "platform/host/read_plan.h"

namespace host {

ReadPlan planRead(const COMMTIMEOUTS& timeouts, DWORD count) {
    const DWORD interval = timeouts.ReadIntervalTimeout;
    const DWORD multiplier = timeouts.ReadTotalTimeoutMultiplier;
    const DWORD constant = timeouts.ReadTotalTimeoutConstant;
    if (interval == MAXDWORD && multiplier == MAXDWORD) {
        return {ReadPlan::Mode::FirstByte, constant, 0};
    }
    if (interval == MAXDWORD && multiplier == 0 && constant == 0) {
        return {ReadPlan::Mode::Immediate, 0, 0};
    }
    std::uint64_t total = static_cast<std::uint64_t>(multiplier) * count + constant;
    if (total == 0) total = kLongestReadMs;
    std::uint64_t gap = interval == MAXDWORD ? 0 : interval;
    return {ReadPlan::Mode::FullCount, total, gap};
}

}  // namespace host
