// The micro kernel's transfer to the boot program: its length and its bytes,
// each echoed, then the boot program's verdict on the flash erase.
#pragma once

#include "platform/win32.h"

// Sends uGen7144.cde through WriteBuf, reading the echoes into ReadBuf.
// False after printing why it failed.
bool sendMicroKernel(HANDLE port, unsigned char* WriteBuf, unsigned char* ReadBuf);
