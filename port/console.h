// Console services shared by the driver and the command handlers.
#pragma once

#include "platform/win32.h"

// Writes the upper-case copy of `argv`, NUL included, into `data`.
void caseSensitive(const char* argv, char* data);

// Writes the operator's sentence for the last error of a failed port open
// (at most 256 characters): a port that does not exist, one that another
// program holds, and on posix one the user has no permission to open,
// named by its device path.
void errorCheck(char* error);

// Prints the time since the tick `begin`: the "Time" form when `all` is 0,
// the "Total Time" form otherwise.
void printTime(DWORD begin, int all);

// True once the tick count has passed `deadline`, by difference, so that the
// counter's wrap neither ends a wait at once nor stretches it.
inline bool tickPassed(DWORD deadline) { return static_cast<int>(GetTickCount() - deadline) > 0; }
