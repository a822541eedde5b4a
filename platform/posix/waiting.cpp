#include "platform/posix/waiting.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <poll.h>

#include "platform/posix/interrupts.h"

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

int waitFor(int fd, short events, std::uint64_t timeoutMs) {
    std::fflush(stdout);
    constexpr std::uint64_t kLongestPollMs = 1u << 30;  // within poll's int
    const std::uint64_t deadline = monotonicNs() + timeoutMs * kNanosPerMs;
    // Each round polls for what is left; signals and very long waits take
    // more than one round, the deadline ends them. An interrupt ends the run.
    for (;;) {
        stopIfInterrupted();
        std::uint64_t left = msUntil(deadline);
        pollfd watched[2] = {{fd, events, 0}, {interruptFd(), POLLIN, 0}};
        int ready = ::poll(watched, 2, static_cast<int>(std::min(left, kLongestPollMs)));
        if (ready > 0 && watched[0].revents != 0) return watched[0].revents;
        if (ready == 0 && left <= kLongestPollMs) return 0;
        if (ready < 0 && errno != EINTR) return -1;
    }
}

}  // namespace posix
