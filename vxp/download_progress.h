// The one-line progress of a download or verify phase.
#pragma once

#include "platform/win32.h"

// After the block at `address` of a phase that spans `span` bytes: true when
// (span / 5000) * `time` is below the address, the line then being counted
// in `time`. So a phase prints about 5000 lines at most, however large.
bool progressLineDue(DWORD address, DWORD span, int& time);

// After a block at `address` was accepted, in a phase that starts at `first`
// and spans `span` bytes: prints the progress line (no line feed) when it is due.
void downloadProgress(DWORD address, DWORD first, DWORD span, int& time);

// The closing line of a phase: "Job at 100%", no line feed.
void printClosingProgress();
