// Reads and writes on a serial device with the Win32 time-out meaning; every
// wait has a millisecond time-out.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <unistd.h>

#include "platform/host/last_error.h"
#include "platform/host/read_plan.h"
#include "platform/posix/input_watch.h"
#include "platform/posix/interrupts.h"
#include "platform/posix/port_output.h"
#include "platform/posix/serial_port.h"
#include "platform/posix/waiting.h"

namespace {

// Takes what has arrived, up to `max` bytes, without waiting. False (last
// error set) when the device fails.
bool takeArrived(posix::SerialPort& port, std::uint8_t* out, std::size_t max, std::size_t& got) {
    got = 0;
    if (max == 0) return true;
    for (;;) {
        ssize_t n = ::read(port.fd, out, max);
        if (n >= 0) {
            got = static_cast<std::size_t>(n);
            port.inputLeft = got == max;
            return true;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            port.inputLeft = false;
            return true;
        }
        if (errno != EINTR) {
            host::setLastError(host::win32Error(errno));
            return false;
        }
    }
}

// Input was reported but none was there: a hung-up device does that.
bool wentAway() {
    host::setLastError(ERROR_GEN_FAILURE);
    return false;
}

// Waits up to `timeoutMs` for bytes. 1: bytes are there; 0: time ran out;
// -1: the device failed or went away (last error set).
int awaitBytes(const posix::SerialPort& port, std::uint64_t timeoutMs) {
    int events = posix::waitForInput(port.inputWatch, timeoutMs);
    if (events < 0) {
        host::setLastError(host::win32Error(errno));
        return -1;
    }
    if ((events & POLLIN) != 0) return 1;
    if (events != 0) {  // hung up or failed with nothing to read
        wentAway();
        return -1;
    }
    return 0;
}

// A read looks at the device before it waits only when the last read may
// have left bytes there; when that read emptied the line, the wait comes
// first and returns at once if bytes came since. Either way a read takes
// what is there: the order only spares the reads that would find nothing,
// on a silent line and between the bursts a port passes on.
bool readFirstBytes(posix::SerialPort& port, std::uint8_t* out, std::size_t count, std::uint64_t waitMs,
                    std::size_t& got) {
    got = 0;
    if (count == 0) return true;
    if (port.inputLeft && !takeArrived(port, out, count, got)) return false;
    if (got > 0) return true;
    int ready = awaitBytes(port, waitMs);
    if (ready <= 0) return ready == 0;
    if (!takeArrived(port, out, count, got)) return false;
    return got > 0 || wentAway();
}

bool readFullCount(posix::SerialPort& port, std::uint8_t* out, std::size_t count, const host::ReadPlan& plan,
                   std::size_t& got) {
    const std::uint64_t deadline = posix::monotonicNs() + plan.totalMs * posix::kNanosPerMs;
    got = 0;
    bool look = port.inputLeft;
    bool announced = false;
    // Each round takes bytes or waits; the deadline ends the rounds. A
    // round looks only where bytes may be: first as readFirstBytes does,
    // then after a wait that announced some.
    for (;;) {
        if (look) {
            std::size_t more = 0;
            if (!takeArrived(port, out + got, count - got, more)) return false;
            if (announced && more == 0) return wentAway();
            got += more;
            if (got == count) return true;
        }
        std::uint64_t wait = posix::msUntil(deadline);
        if (wait == 0) return true;
        bool gapBound = plan.intervalMs > 0 && got > 0 && plan.intervalMs < wait;
        if (gapBound) wait = plan.intervalMs;
        int ready = awaitBytes(port, wait);
        if (ready < 0) return false;
        if (ready == 0 && gapBound) return true;
        look = announced = ready == 1;
    }
}

}  // namespace

BOOL ReadFile(HANDLE file, LPVOID data, DWORD toRead, LPDWORD read, LPOVERLAPPED) {
    posix::stopIfInterrupted();  // also between reads that never wait
    if (read != nullptr) *read = 0;
    posix::SerialPort* port = posix::findPort(file);
    if (port == nullptr) return FALSE;
    // What the tool wrote goes out before it looks for the answer; a refusal
    // is the next write call's to report.
    posix::sendGathered(*port);

    auto* out = static_cast<std::uint8_t*>(data);
    const host::ReadPlan plan = host::planRead(port->timeouts, toRead);
    std::size_t got = 0;
    bool ok = true;
    switch (plan.mode) {
    case host::ReadPlan::Mode::Immediate: ok = takeArrived(*port, out, toRead, got); break;
    case host::ReadPlan::Mode::FirstByte: ok = readFirstBytes(*port, out, toRead, plan.totalMs, got); break;
    case host::ReadPlan::Mode::FullCount: ok = readFullCount(*port, out, toRead, plan, got); break;
    }
    if (read != nullptr) *read = static_cast<DWORD>(got);
    return ok ? TRUE : FALSE;
}

BOOL WriteFile(HANDLE file, LPCVOID data, DWORD toWrite, LPDWORD written, LPOVERLAPPED) {
    posix::stopIfInterrupted();
    if (written != nullptr) *written = 0;
    posix::SerialPort* port = posix::findPort(file);
    if (port == nullptr) return FALSE;
    std::size_t sent = 0;
    bool ok = posix::writeToPort(*port, static_cast<const std::uint8_t*>(data), toWrite, sent);
    if (written != nullptr) *written = static_cast<DWORD>(sent);
    return ok ? TRUE : FALSE;
}
