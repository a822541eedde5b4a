// The serial settings record (DCB) in terms of termios: bit rate, data bits,
// parity, stop bits and RTS handshake. The other fields of a DCB have no
// termios counterpart here and are kept as the caller gave them.
#pragma once

#include <termios.h>

#include "platform/win32.h"

namespace posix {

// The termios speed for a bit rate, or false when the system has none.
bool speedForBaud(DWORD baud, speed_t& speed);

// Puts `termios` into raw mode: no line editing, no echo, no character
// translation, no signals, 8 data bits, receiver on, modem lines ignored,
// reads that never wait by themselves (waits are done with poll).
void makeRaw(termios& settings);

// Writes the DCB's bit rate, data bits, parity, stop bits and RTS handshake
// into `settings`. False when one of them has no termios form.
bool applySettings(const DCB& dcb, termios& settings);

// A DCB as a port opened with `settings` reports it: those five fields from
// termios, binary mode, DTR on, the usual XON/XOFF limits and characters.
DCB settingsRecord(const termios& settings);

}  // namespace posix
