// The last stage of boot-mode programming: appMain.mot written into the
// microcontroller's flash through the write kernel, in frames of 128 data
// bytes: the first 1024 data bytes at 0x0000 to 0x03FF, the status check,
// then all the rest from 0x0800 upward.
#pragma once

#include "platform/win32.h"

// True after "\nEND...REBOOT THE DEVICE!\n"; false after printing why not.
bool writeImage(HANDLE port, unsigned char* ReadBuf);
