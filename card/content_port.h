// Port steps shared by the content commands (FPGA, EDID, GAMMA, REMOTE):
// the transfer time-outs, single-byte writes and reads, the drain before a
// transfer, the wait for an awaited byte, the card's verdict, and the key
// prompt of EDID's and GAMMA's failure ends.
#pragma once

#include "platform/win32.h"

// Writes the transfer time-outs of FPGA and EDID into ct (every read
// returns after at most 50 ms, every write call may end after 50 ms) and
// applies them to lport.
BOOL setTransferTimeouts();

// Writes `byte` in one write call (lrc and lnumbytes set). True when the
// call succeeded and moved exactly that byte.
bool writeByte(unsigned char byte);

enum class LineRead { kByte, kNothing, kFailed };

// Reads one byte. A read call that fails is followed by a 1 ms pause, so
// that a failing port is never polled in a busy loop.
LineRead readOne(unsigned char& byte);

// Reads up to 2048 bytes at a time into `buffer` and throws them away
// until a read brings nothing. False when a read brought bytes after the
// tick count had passed `deadline`: the line keeps talking.
bool drainBefore(DWORD deadline);

// Reads one byte at a time until one of the characters of `wanted`
// arrives, into `got`. False once the tick count is past `deadline`
// (compared before every further read).
bool awaitOneOf(const char* wanted, DWORD deadline, unsigned char& got);

// Prints the card's verdict on an EDID or gamma transfer: "Failed" on 'E'
// (the run fails), otherwise "Success" (the memory is whole again).
void printVerdict(unsigned char verdict);

// "\nPress any key to continue\n", then one key, unechoed.
void pressAnyKeyToContinue();
