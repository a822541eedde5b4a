// Interrupts on posix: SIGINT, SIGTERM and SIGHUP are noted by their
// handler (a flag and a byte in a self-pipe) and acted on at the tool's next
// wait, outside the handler, where printing and flushing are safe. The
// handler itself only arms a two-second alarm: a run that never waits again
// is ended from there, by async-signal-safe calls only.
#pragma once

#include <termios.h>

namespace posix {

// Readable once an interrupt has arrived; -1 before watchInterrupts(). Every
// wait polls it besides what it waits for.
int interruptFd();

// Ends the run as interrupted if an interrupt has arrived; returns otherwise.
void stopIfInterrupted();

// A key read has put the console into `keyMode`, saving `saved`; an
// interrupted run puts `saved` back. consoleRestored() when the key read did.
void consoleChanged(const termios& saved);
void consoleRestored();

}  // namespace posix
