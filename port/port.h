// The port connection shared by every command: the open handle, its settings
// and time-out records, and the result of the last port call.
#pragma once

#include "platform/win32.h"

extern char lportname[256];      // the port argument, upper-cased
extern char lfullportname[256];  // the device path made from it
extern HANDLE lport;             // the open port
extern DCB lDCB;                 // its settings record
extern COMMTIMEOUTS ct;          // its time-out record
extern BOOL lrc;                 // result of the last port call
extern DWORD lnumbytes;          // bytes moved by the last read or write

// Work area into which some commands drain the port.
extern unsigned char buffer[262144];

// Opens lfullportname for exclusive read and write. Returns FALSE and prints
// why when it cannot be opened.
BOOL openPort();

// Reads the port's settings into lDCB, sets 115200 bit/s, 8 data bits, no
// parity, one stop bit and RTS off, and the polling time-outs (a read returns
// at once with what has arrived, or after 1 ms with nothing). Prints what
// failed; `stopAtFailure` ends at the first failure, otherwise every step is
// tried regardless.
BOOL configurePort(bool stopAtFailure);

// Applies the polling time-outs to lport.
BOOL setPollingTimeouts();
