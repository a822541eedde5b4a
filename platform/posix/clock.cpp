// The real clock: a millisecond tick count and sleeps.
#include "platform/posix/waiting.h"
#include "platform/win32.h"

DWORD GetTickCount() { return static_cast<DWORD>(posix::monotonicNs() / posix::kNanosPerMs); }

// A wait for nothing: flushed first, cut short only by an interrupt.
void _sleep(unsigned long milliseconds) { posix::waitFor(-1, 0, milliseconds); }
