// Interrupts on Windows: the console control handler (Ctrl-C, Ctrl-Break,
// the console closed, log-off, shut-down) runs in a thread of its own; it
// notes the interrupt and wakes the tool's wait, and the tool's own thread
// ends the run at that wait. If the tool does not reach a wait within two
// seconds, the handler ends the run itself.
#pragma once

#include "platform/win32.h"

namespace windows {

// Sleeps `milliseconds`, cut short by an interrupt, which ends the run.
void sleepOrStop(DWORD milliseconds);

// Ends the run as interrupted if an interrupt has arrived; returns otherwise.
void stopIfInterrupted();

// Ends the run as interrupted at once (the key Ctrl-C, read as a key).
[[noreturn]] void interruptNow();

}  // namespace windows
