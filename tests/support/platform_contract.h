// One contract for the platform's port, run against the posix platform (a
// pseudo-terminal, real time) and the sim platform (a scripted peer,
// simulated clock): opening and closing, settings, reads with the Win32
// time-out meaning, writes. (The files, shared by both platforms, are read
// by the runs of the tool.)
#pragma once

#include <string>

#include "platform/win32.h"

// The far end of the port under test, as each platform has it.
class FarEnd {
public:
    virtual ~FarEnd() = default;
    // What CreateFileA opens for the port under test, and for one that does not exist.
    virtual std::string portName() const = 0;
    virtual std::string missingPortName() const = 0;
    // `bytes` reach the port `afterMs` from now (0: before the call returns).
    virtual void send(const std::string& bytes, int afterMs) = 0;
    // Waits until everything sent has reached the port.
    virtual void settle() = 0;
    virtual std::string received() = 0;
    // Milliseconds since an arbitrary start, on the platform's clock.
    virtual double nowMs() = 0;
    // How much longer than its Win32 meaning a wait may take (0: exactly as
    // long, on a simulated clock, where waits of seconds are cheap). On a
    // real clock it is only a guard against a read that hangs: how fast the
    // platform answers is measured in bench/, not here.
    virtual double slackMs() const = 0;
};

void checkPortContract(FarEnd& far);
