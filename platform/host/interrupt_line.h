// The line an interrupted run ends with, as the tool last set it, for the
// posix and sim platforms.
#pragma once

#include <cstddef>

namespace host {

constexpr std::size_t kInterruptLineSize = 512;

// The line, NUL-terminated within kInterruptLineSize characters.
const char* interruptLine();

// Flushes what was printed, ends the current line and prints the interrupt
// line on a line of its own, flushed.
void printInterruptLine();

}  // namespace host
