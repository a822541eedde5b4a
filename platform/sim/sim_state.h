// The simulated platform's state, shared by its parts: the peer, the clock,
// the scripted keys and the injected failures (the open handles are in the
// host's table).
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include "platform/host/open_handles.h"
#include "sim/line/serial_peer.h"

namespace simport::detail {

constexpr sim::Nanos kNanosPerMs = 1000000;

// An open simulated port, connected to the peer.
struct SimPort : host::OpenHandle {
    std::string portName;         // upper case, without the "\\.\" prefix
    std::uint64_t connection = 0;  // the peer's connection it was opened on
};

// False (last error 31, as for a device that was removed) when the peer the
// port was opened on is no longer there.
bool stillConnected(const SimPort& port);

// The open port `handle` stands for, or nullptr (last error 6).
inline SimPort* findPort(HANDLE handle) { return static_cast<SimPort*>(host::findPort(handle)); }

// The settings record a port opens with: 9600 bit/s, 8 data bits, no
// parity, one stop bit, DTR and RTS on, XON/XOFF characters set but unused.
DCB defaultDcb();

struct State {
    sim::SerialPeer* peer = nullptr;
    sim::Nanos now = 0;
    DWORD startTick = 0;

    std::string keys;
    std::size_t nextKey = 0;
    int keyReads = 0;

    std::set<std::string> ports{"COM1"};
    int opens = 0;
    DWORD openError = 0;
    int openFailures = 0;

    DWORD readError = 0;
    int readsBeforeFailure = 0;
    int readFailures = 0;
    int stalledWrites = 0;

    std::optional<sim::Nanos> interruptAt;
    void (*interruptHandler)() = nullptr;
    bool watchingInterrupts = false;
    void (*recordEnd)(int status) = nullptr;  // the run's record, at an interrupted end

    std::string written;
    DCB appliedDcb = defaultDcb();
    COMMTIMEOUTS appliedTimeouts{};
};

State& state();

// Closes every open handle and forgets everything.
void resetState();

// Advances the clock to `time`, or ends the run as interrupted when an
// interrupt is due by then (the clock stops at the interrupt's time).
void advanceClock(sim::Nanos time);

// Ends the run as interrupted when an interrupt is due now.
void stopIfInterrupted();

// Ends the run as interrupted, as the operator's Ctrl-C does.
[[noreturn]] void interruptNow();

}  // namespace simport::detail
