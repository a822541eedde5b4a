// What the tool writes to a port. The tool sends most of its bytes one write
// call at a time (a frame of the boot-mode writing is 134 calls); each call a
// system call of its own would cost more processor time than the whole rest
// of a run. Short writes are therefore gathered per port and handed to the
// device together before anything can depend on them having gone out:
// before every wait (a read, a sleep, a key), before the port's settings
// change and before it closes. On the wire nothing changes: the bytes leave
// in the same order, back to back as the line takes them.
//
// Gathered bytes that the device then refuses, or that cannot go within the
// write time-outs, fail the port's next write call with the device's error.
#pragma once

#include "platform/posix/serial_port.h"

namespace posix {

// Writes `count` bytes to `port` with the Win32 write time-outs, gathering
// short writes. Returns false (last error set) when the device refused this
// or a gathered earlier write; `written` is what this call moved.
bool writeToPort(SerialPort& port, const std::uint8_t* bytes, std::size_t count, std::size_t& written);

// Hands `port`'s gathered bytes to the device. False (last error set) when
// the device refused them; the refusal stays for the next write call.
bool sendGathered(SerialPort& port);

// The same for every open port, before the tool waits.
void sendAllGathered();

}  // namespace posix
