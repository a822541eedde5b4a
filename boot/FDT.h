// The boot-mode programmer of the microcontroller's flash.
#pragma once

#include "platform/win32.h"

// Returns 55 when the boot program never answered.
int FDT(HANDLE port, DCB dcb, COMMTIMEOUTS timeouts, char* fullPortName);
