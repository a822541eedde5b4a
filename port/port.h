// The port connection every command stands on: the open handle, its
// settings and time-out records, the result of the last port call, the
// time-outs each protocol sets, the tick helper, and the one set of byte
// helpers over the port that every channel uses (the links, the boot-mode
// programmer, the content commands).
#pragma once

#include "platform/win32.h"

extern char lportname[256];      // the port argument, upper-cased
extern char lfullportname[256];  // the device path made from it
extern HANDLE lport;             // the open port
extern DCB lDCB;                 // its settings record
extern COMMTIMEOUTS ct;          // its time-out record
extern BOOL lrc;                 // result of the last port call
extern DWORD lnumbytes;          // bytes moved by the last read or write

// Work area into which the port is drained.
extern unsigned char buffer[262144];

// ---- The connection ------------------------------------------------------

// Opens lfullportname for exclusive read and write. Returns FALSE and prints
// why when it cannot be opened.
BOOL openPort();

// Reads the port's settings into lDCB, sets 115200 bit/s, 8 data bits, no
// parity, one stop bit and RTS off, and the polling time-outs. Prints what
// failed; `stopAtFailure` ends at the first failure, otherwise every step is
// tried regardless.
BOOL configurePort(bool stopAtFailure);

// ---- Time-outs, written into ct and applied to lport ---------------------

// Polling: a read returns at once with what has arrived, or after 1 ms with
// nothing (the identification, the links, VIPER, VERIFY, STATUS, MICRO).
BOOL setPollingTimeouts();

// Transfers (FPGA, EDID): every read returns after at most 50 ms, every
// write call may end after 50 ms.
BOOL setTransferTimeouts();

// ALL's device downloads: every read and write call ends after at most 1 ms.
BOOL setDownloadTimeouts();

// True once the tick count has passed `deadline`, by difference, so that the
// counter's wrap neither ends a wait at once nor stretches it.
inline bool tickPassed(DWORD deadline) { return static_cast<int>(GetTickCount() - deadline) > 0; }

// ---- Bytes over the port -------------------------------------------------

// Writes `byte` in one write call (lrc and lnumbytes set). True when the call
// succeeded and moved exactly that byte.
bool writeByte(unsigned char byte);

// Writes `length` bytes, as many write calls as it takes. False when a call
// fails or moves no byte (a write that cannot complete would otherwise be
// tried for ever). Leaves lrc and lnumbytes as the last call set them.
bool writeAll(const unsigned char* bytes, DWORD length);

// One read of up to `count` bytes into `into`; returns how many came (the
// port's time-outs decide how long it waits). A read call that fails counts
// as one that brought nothing, after a pause of 1 ms, so that a failing port
// is never polled in a busy loop and every wait still ends by its deadline.
DWORD readSome(unsigned char* into, DWORD count);

enum class LineRead { kByte, kNothing, kFailed };

// One read of one byte: a byte came, nothing came, or the read call failed
// (after the same pause of 1 ms).
LineRead readOne(unsigned char& byte);

// Reads up to `chunk` bytes at a time into `buffer` and throws them away
// until a read brings nothing. False when a read brought bytes after the
// tick count had passed `deadline`: the line keeps talking. The first read
// always takes place.
bool drainPort(DWORD chunk, DWORD deadline);

// Reads one byte at a time until one of the characters of `wanted` arrives,
// into `got`. False once the tick count is past `deadline` (compared before
// every further read).
bool awaitOneOf(const char* wanted, DWORD deadline, unsigned char& got);
