// One contract for the platform's port, on posix (a pty, real time) and sim (a
// scripted peer, simulated clock): open, close, settings, reads with the Win32
// time-out meaning, writes.
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
    // How much longer than its Win32 meaning a wait may take (0: exactly as long). On
    // a real clock only a guard against a hang; bench/ measures the speed.
    virtual double slackMs() const = 0;
};

void checkPortContract(FarEnd& far);
