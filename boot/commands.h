// What the rest of the tool calls in boot/: MICRO on a card that runs its
// firmware, the boot-mode programmer of the microcontroller's flash (FDT),
// and the check of the files MICRO sends, made before anything is sent.
#pragma once

#include "platform/win32.h"

// MICRO on a card that runs its firmware: switch it to boot mode, then
// program it with FDT.
void ProgramMicro();

// FDT's results: the boot program did not answer within 10 s, the first
// time in this process (an old firmware may be running); or the run ended,
// done or failed alike (the console and the exit status tell which).
constexpr int kFdtNoBootProgram = 55;
constexpr int kFdtRunEnded = 1;

// How many communication checks in this process ran out of time: the first
// one makes FDT return kFdtNoBootProgram, later ones remind the operator and
// go on.
extern int flag;

// The boot-mode programmer: bit-rate matching with the boot program, the
// three kernels, then appMain.mot written into the flash. Expects `port` (the
// run's lport) at 9600 bit/s with the polling read time-outs; `dcb` is its
// own copy of the settings, with which it switches the port to 115200 bit/s.
// The time-out record and the device path are not used.
int FDT(HANDLE port, DCB dcb, COMMTIMEOUTS timeouts, char* fullPortName);

// MICRO's files, before anything is sent: appMain.mot (not of a size known
// to be bad, and read through by its readers without a fault) and the three
// boot kernels. Prints why a file is refused; a missing appMain.mot is
// refused without a word.
bool microFilesAcceptable();
