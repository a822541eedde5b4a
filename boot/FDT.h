// The boot-mode programmer of the microcontroller's flash: bit-rate matching
// with the boot program, the three kernels, then appMain.mot written into
// the flash. Everything goes to the console as it happens.
#pragma once

#include "platform/win32.h"

// Expects the port at 9600 bit/s with the polling read time-outs. Returns 55
// when the boot program did not answer within 10 s the first time in this
// process, 1 otherwise (done or failed alike: the console and the exit
// status tell which). `dcb` is the programmer's own copy; the port is left
// at 115200 bit/s once the bit rate has been switched. The time-out record
// and the device path are not used.
int FDT(HANDLE port, DCB dcb, COMMTIMEOUTS timeouts, char* fullPortName);
