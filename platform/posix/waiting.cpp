#include "platform/posix/waiting.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <poll.h>

#include "platform/posix/interrupts.h"
#include "platform/posix/port_output.h"

namespace posix {

std::uint64_t monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000000000u + static_cast<std::uint64_t>(now.tv_nsec);
}

std::uint64_t msUntil(std::uint64_t deadlineNs) {
    std::uint64_t now = monotonicNs();
    return deadlineNs > now ? (deadlineNs - now + kNanosPerMs - 1) / kNanosPerMs : 0;
}

int waitResuming(std::uint64_t timeoutMs, const std::function<int(int)>& waitMs) {
    std::fflush(stdout);
    sendAllGathered();
    constexpr std::uint64_t kLongestWaitMs = 1u << 30;  // within an int
    const std::uint64_t deadline = monotonicNs() + timeoutMs * kNanosPerMs;
    // The first round waits the whole time-out; signals and very long waits
    // take more rounds, each for what is left, the deadline ends them. An
    // interrupt ends the run (a wait that it woke returns -1 with EINTR).
    for (std::uint64_t left = timeoutMs;; left = msUntil(deadline)) {
        stopIfInterrupted();
        int ready = waitMs(static_cast<int>(std::min(left, kLongestWaitMs)));
        if (ready > 0) return ready;
        if (ready == 0 && left <= kLongestWaitMs) return 0;
        if (ready < 0 && errno != EINTR) return -1;
    }
}

int waitFor(int fd, short events, std::uint64_t timeoutMs) {
    return waitResuming(timeoutMs, [fd, events](int ms) {
        pollfd watched[2] = {{fd, events, 0}, {interruptFd(), POLLIN, 0}};
        int ready = ::poll(watched, 2, ms);
        if (ready > 0 && watched[0].revents == 0) {
            errno = EINTR;  // only the interrupt came
            return -1;
        }
        return ready > 0 ? watched[0].revents : ready;
    });
}

}  // namespace posix
