// The first exchange with the microcontroller's boot program: bit-rate
// matching with 0x00 bytes at 9600 bit/s, then 0x55 answered by 0xAA.
#pragma once

#include "platform/win32.h"

// How many communication checks in this process ran out of time: the first
// one returns kNoBootProgram, later ones remind the operator and go on.
extern int flag;

enum CheckResult { kMatched, kNoBootProgram, kCheckFailed };

// kNoBootProgram (FDT's result 55): no answer within 10 s, the first time in
// the process. After that, the reminder texts every 10 s until the boot
// program answers. kCheckFailed: a failed write, or no 0xAA after five
// retries.
CheckResult checkCommunication(HANDLE port, unsigned char* ReadBuf);
