#include "card/fpga_line.h"

#include "card/content_port.h"
#include "port/console.h"

namespace {
constexpr DWORD kGoneAfterMs = 60000;
constexpr DWORD kFollowingByteMs = 1000;
constexpr DWORD kQuietWithinMs = 5000;
}  // namespace

DWORD requestSilenceMs(DWORD longestWaitMs) { return kGoneAfterMs + longestWaitMs; }

CardByte nextCardByte(unsigned char& byte, DWORD lastHeard, DWORD silenceMs) {
    if (readOne(byte) == LineRead::kByte) return CardByte::kByte;
    return tickPassed(lastHeard + silenceMs) ? CardByte::kGone : CardByte::kNothing;
}

bool followingByte(unsigned char& byte) {
    DWORD deadline = GetTickCount() + kFollowingByteMs;
    for (;;) {
        if (readOne(byte) == LineRead::kByte) return true;
        if (tickPassed(deadline)) return false;
    }
}

bool waitForQuiet() {
    DWORD deadline = GetTickCount() + kQuietWithinMs;
    for (;;) {
        unsigned char discarded;
        if (readOne(discarded) == LineRead::kNothing) return true;
        if (tickPassed(deadline)) return false;
    }
}
