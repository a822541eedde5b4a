#include "sim/cardsim/precise_wait.h"

#include <sys/resource.h>
#include <time.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace cardsim {

namespace {
constexpr sim::Nanos kSecond = 1000000000;

// One wait of at most `ns` (none: no limit).
int waitAtMost(pollfd* fds, nfds_t count, std::optional<sim::Nanos> ns) {
#ifdef __linux__
    timespec limit{};
    if (ns) limit = {static_cast<time_t>(*ns / kSecond), static_cast<long>(*ns % kSecond)};
    return ::ppoll(fds, count, ns ? &limit : nullptr, nullptr);
#else
    // Without ppoll a wait lasts whole milliseconds, rounded up: the pacing
    // is exact on Linux only.
    constexpr sim::Nanos kMillisecond = 1000000;
    return ::poll(fds, count, ns ? static_cast<int>((*ns + kMillisecond - 1) / kMillisecond) : -1);
#endif
}
}  // namespace

sim::Nanos monotonicNow() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<sim::Nanos>(now.tv_sec) * kSecond + static_cast<sim::Nanos>(now.tv_nsec);
}

void sharpenTiming() {
#ifdef __linux__
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
    ::setpriority(PRIO_PROCESS, 0, -10);
}

int waitUntil(pollfd* fds, nfds_t count, std::optional<sim::Nanos> deadline) {
    if (!deadline) return waitAtMost(fds, count, std::nullopt);
    for (;;) {
        sim::Nanos now = monotonicNow();
        if (now >= *deadline) return 0;
        int ready = waitAtMost(fds, count, *deadline - now);
        if (ready != 0) return ready;
    }
}

}  // namespace cardsim
