// Control of the simulated platform, for tests: which peer sits at the far
// end of the port, where the simulated clock starts, which keys the operator
// presses, which files exist for the port opens, and which port calls fail.
//
// The clock advances only when the tool waits: in _sleep, and in a port read
// that waits for bytes (to the next byte's arrival or to the read's time-out,
// whichever comes first). A read with no total time-out ends after 60 s of
// simulated time at most. Writes take no time.
//
// Names "\\.\NAME" open a simulated port (NAME compared without regard to
// case); every other name is a file of the host's file system, opened for
// reading (GetFileSize) and looked up by GetFileAttributesA.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win32.h"
#include "sim/line/serial_peer.h"

namespace simport {

// The peer every serial port the tool opens is connected to. Not owned. It
// hears the bit rate at every open (the port's default, 9600) and at every
// SetCommState. Without a peer the line is silent and writes go nowhere.
void attach(sim::SerialPeer* peer);

// Sets the tick counter: GetTickCount() returns `startTick` now. The
// simulated time itself never goes back (only reset() starts it again).
void startClock(DWORD startTick);

// The simulated time since reset(), in nanoseconds.
sim::Nanos now();

// Keys for _getch and PAUSE, taken in order, replacing any not yet taken;
// when they run out, a key read returns EOF (-1) at once, as at the end of a
// pipe.
void pressKeys(const std::string& keys);

// How many key reads the tool has made (including PAUSE).
int keyReads();

// Port names that exist ("COM1" by default). A name not listed fails to open
// with last error 2. A port already open fails to open again with 5.
void addPort(const std::string& name);

// Opening a port fails with `error` for the next `times` opens.
void failOpens(DWORD error, int times);

// Port reads fail (ReadFile returns FALSE, last error `error`) from the
// `after`-th read on (0: the next one) for `times` reads. A failing read
// takes no time.
void failReads(DWORD error, int after, int times);

// The next `times` writes move no byte and still succeed, as a write whose
// time-out passes before its first byte goes out.
void stallWrites(int times);

// The operator interrupts the run (Ctrl-C) at the simulated time `at`: the
// first wait that would pass it stops there, and a port call or key read
// made at or after it does not happen. The run then ends as on posix: the
// interrupt line, and the process exits with status 130 (so a test runs the
// tool in a child process). A key 0x03 (Ctrl-C) interrupts as well.
void interruptAt(sim::Nanos at);

// Called when a run ends as interrupted, after the interrupt line and just
// before the process exits, so that a harness can keep what the card holds
// at that moment. Not called for a run that ends on its own.
void onInterrupt(void (*handler)());

// Every byte the tool wrote to the port, in order.
const std::string& written();

// How many port opens the tool has tried, failed ones included.
int opens();

// The settings record a port opens with: 9600 bit/s, 8 data bits, no parity,
// one stop bit, DTR and RTS on, binary, XON/XOFF characters set.
DCB portDefaults();

// The last settings record and time-out record the tool applied to a port
// (the port defaults and all-zero time-outs before it applied any).
const DCB& appliedSettings();
const COMMTIMEOUTS& appliedTimeouts();

// Puts everything back as at program start: closes what the tool left open,
// forgets the peer, the keys, the ports added, the failures, the bytes
// written and the last error.
void reset();

}  // namespace simport
