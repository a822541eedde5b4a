// The FPGA transfer's reads of what the card sends: its next byte (a
// request marker or anything else), the bytes that must follow a marker,
// and the quiet the card keeps before it takes the data it asked for.
// Each read waits up to the transfer's 50 ms read time-out; a read call
// that fails is tried again after 1 ms.
#pragma once

#include "platform/win32.h"

enum class CardByte { kByte, kNothing, kGone };

// How long the card may send nothing between requests: a minute, and on
// top of it the longest wait the file makes the card keep.
DWORD requestSilenceMs(DWORD longestWaitMs);

// The card's next byte. kGone when the card has sent nothing (or the
// port's reads have failed) for `silenceMs` since `lastHeard`.
CardByte nextCardByte(unsigned char& byte, DWORD lastHeard, DWORD silenceMs);

// The byte that must follow a marker, from a read that brings it: a byte
// received before is never taken in its place. False when it has not come
// within 1 s.
bool followingByte(unsigned char& byte);

// Reads and throws away what the card sends until a read brings nothing
// (50 ms of silence). False when the line has not fallen silent within 5 s.
bool waitForQuiet();
