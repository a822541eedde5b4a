#include "platform/posix/port_output.h"

#include <cerrno>
#include <poll.h>
#include <unistd.h>

#include "platform/host/last_error.h"
#include "platform/posix/waiting.h"

namespace posix {

namespace {

// Writes at most this long are gathered; longer ones (an FPGA block, a
// driver block) go to the device at once, after what was gathered.
constexpr std::size_t kGatherLimit = 1024;

// Longest wait of a write that has no time-out of its own.
constexpr std::uint64_t kLongestWriteMs = 60000;

// Set while gathered bytes are being sent: their own waits for room on the
// device must not start another round of sending.
bool sending = false;

// Hands `count` bytes to the device within the write time-outs for that
// many bytes; a write that cannot complete by then ends with what went out,
// as a Win32 write time-out does. False (last error set) when it fails.
bool writeNow(const SerialPort& port, const std::uint8_t* bytes, std::size_t count, std::size_t& sent) {
    std::uint64_t limit = static_cast<std::uint64_t>(port.timeouts.WriteTotalTimeoutMultiplier) * count +
                          port.timeouts.WriteTotalTimeoutConstant;
    if (limit == 0) limit = kLongestWriteMs;
    const std::uint64_t deadline = monotonicNs() + limit * kNanosPerMs;
    sent = 0;
    while (sent < count) {
        ssize_t n = ::write(port.fd, bytes + sent, count - sent);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            host::setLastError(host::win32Error(errno));
            return false;
        }
        std::uint64_t wait = msUntil(deadline);
        if (wait == 0) return true;
        if (waitFor(port.fd, POLLOUT, wait) < 0) {
            host::setLastError(host::win32Error(errno));
            return false;
        }
    }
    return true;
}

}  // namespace

bool sendGathered(SerialPort& port) {
    if (port.gathered.empty()) {
        if (port.gatheredError == 0) return true;
        host::setLastError(port.gatheredError);
        return false;
    }
    sending = true;
    std::size_t sent = 0;
    bool ok = writeNow(port, port.gathered.data(), port.gathered.size(), sent);
    sending = false;
    // Bytes that did not go within the time-outs are lost, although their
    // write calls reported them written: the next write call says so.
    if (ok && sent < port.gathered.size()) {
        host::setLastError(ERROR_GEN_FAILURE);
        ok = false;
    }
    port.gathered.clear();
    if (!ok) port.gatheredError = GetLastError();
    return ok;
}

void sendAllGathered() {
    if (sending) return;
    host::forEachHandle([](host::OpenHandle& open) {
        if (open.isPort) sendGathered(static_cast<SerialPort&>(open));
    });
}

bool writeToPort(SerialPort& port, const std::uint8_t* bytes, std::size_t count, std::size_t& written) {
    written = 0;
    if (port.gatheredError != 0) {
        host::setLastError(port.gatheredError);
        port.gatheredError = 0;
        return false;
    }
    if (port.gathered.size() + count <= kGatherLimit) {
        port.gathered.insert(port.gathered.end(), bytes, bytes + count);
        written = count;
        return true;
    }
    if (!sendGathered(port)) {
        port.gatheredError = 0;
        return false;
    }
    return writeNow(port, bytes, count, written);
}

}  // namespace posix
