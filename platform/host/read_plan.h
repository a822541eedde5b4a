// Shared by the posix and sim platforms: how long a port read waits, from
// its COMMTIMEOUTS and byte count, with the Win32 meaning:
//   MAXDWORD, 0, 0         returns at once with what has arrived;
//   MAXDWORD, MAXDWORD, c  returns at once with what has arrived, or waits up
//                          to c ms for a first byte and returns with it;
//   otherwise              waits for the full count, up to multiplier * count
//                          + constant ms in total (when that is not zero) and
//                          up to the interval between two bytes once one has
//                          come (when the interval is neither 0 nor MAXDWORD).
// A read with no total time-out would wait for ever on a silent line; here it
// ends after kLongestReadMs, so that no read of the tool can hang.
#pragma once

#include <cstdint>

#include "platform/win32.h"

namespace host {

constexpr std::uint64_t kLongestReadMs = 60000;

struct ReadPlan {
    enum class Mode { Immediate, FirstByte, FullCount };
    Mode mode;
    std::uint64_t totalMs;     // FirstByte: the wait for a first byte; FullCount: the whole read
    std::uint64_t intervalMs;  // FullCount only; 0 when bytes may be any time apart
};

ReadPlan planRead(const COMMTIMEOUTS& timeouts, DWORD count);

}  // namespace host
