// Port helpers shared by the link layers and the flash commands: writing a
// whole command and emptying the receive side before an exchange.
#pragma once

#include "platform/win32.h"

// Writes `length` bytes to lport, as many write calls as it takes. Returns
// false when a write call fails or moves no byte (a write that cannot
// complete would otherwise be retried for ever). Leaves lrc and lnumbytes
// as the last write set them.
bool writeAll(const unsigned char* bytes, DWORD length);

// Reads up to `chunk` bytes (at most 1024) at a time and discards them until
// a read brings nothing. Returns false when the line was still not silent
// after `limitMs` milliseconds; the first read always takes place.
bool drainPort(DWORD chunk, DWORD limitMs);
