// The micro kernel's parameters: its programming unit, the device, the clock
// mode and the new bit rate, then the switch to 115200 bit/s and the end of
// the parameter setting.
#pragma once

#include "platform/win32.h"

// `dcb` is the programmer's own copy of the port settings; it is left at
// 115200 bit/s. False after printing why it failed.
bool setParameters(HANDLE port, DCB& dcb, unsigned char* ReadBuf);
