#include "sim/cardsim/precise_wait.h"

#include <poll.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#ifdef __linux__
#include <sys/epoll.h>
#include <sys/prctl.h>
#endif

namespace cardsim {

namespace {
constexpr sim::Nanos kSecond = 1000000000;
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

#ifdef __linux__

// epoll reports input, output, hang-up and error with poll's values.
static_assert(EPOLLIN == POLLIN && EPOLLOUT == POLLOUT && EPOLLHUP == POLLHUP && EPOLLERR == POLLERR);

PreciseWait::PreciseWait(int stopFd, int masterFd) : stopFd_(stopFd), masterFd_(masterFd) {
    epoll_ = ::epoll_create1(EPOLL_CLOEXEC);
    epoll_event stop{};
    stop.events = EPOLLIN;
    stop.data.fd = stopFd_;
    ::epoll_ctl(epoll_, EPOLL_CTL_ADD, stopFd_, &stop);
}

PreciseWait::~PreciseWait() { ::close(epoll_); }

void PreciseWait::watchMaster(short events) {
    if (events == masterEvents_) return;
    epoll_event master{};
    master.events = static_cast<std::uint32_t>(events);
    master.data.fd = masterFd_;
    int operation = masterEvents_ == 0 ? EPOLL_CTL_ADD : events == 0 ? EPOLL_CTL_DEL : EPOLL_CTL_MOD;
    ::epoll_ctl(epoll_, operation, masterFd_, &master);
    masterEvents_ = events;
}

int PreciseWait::waitUntil(std::optional<sim::Nanos> deadline, Ready& ready) {
    ready = Ready{};
    for (;;) {
        timespec limit{};
        if (deadline) {
            sim::Nanos now = monotonicNow();
            if (now >= *deadline) return 0;
            sim::Nanos left = *deadline - now;
            limit = {static_cast<time_t>(left / kSecond), static_cast<long>(left % kSecond)};
        }
        epoll_event events[2];
        int count = ::epoll_pwait2(epoll_, events, 2, deadline ? &limit : nullptr, nullptr);
        if (count < 0) return -1;
        for (int i = 0; i < count; ++i) {
            if (events[i].data.fd == stopFd_) ready.stop = true;
            if (events[i].data.fd == masterFd_) ready.master = static_cast<short>(events[i].events);
        }
        if (count > 0) return 1;
    }
}

#else

PreciseWait::PreciseWait(int stopFd, int masterFd) : stopFd_(stopFd), masterFd_(masterFd) {}

PreciseWait::~PreciseWait() = default;

void PreciseWait::watchMaster(short events) { masterEvents_ = events; }

// Without ppoll or epoll a wait lasts whole milliseconds, rounded up: the
// pacing is exact on Linux only.
int PreciseWait::waitUntil(std::optional<sim::Nanos> deadline, Ready& ready) {
    constexpr sim::Nanos kMillisecond = 1000000;
    ready = Ready{};
    for (;;) {
        int timeout = -1;
        if (deadline) {
            sim::Nanos now = monotonicNow();
            if (now >= *deadline) return 0;
            timeout = static_cast<int>((*deadline - now + kMillisecond - 1) / kMillisecond);
        }
        pollfd fds[2] = {{stopFd_, POLLIN, 0}, {masterFd_, masterEvents_, 0}};
        int count = ::poll(fds, masterEvents_ != 0 ? 2 : 1, timeout);
        if (count < 0) return -1;
        ready.stop = fds[0].revents != 0;
        ready.master = fds[1].revents;
        if (count > 0) return 1;
    }
}

#endif

}  // namespace cardsim
