#include "platform/posix/input_watch.h"

#include <cerrno>
#include <poll.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/epoll.h>
#endif

#include "platform/posix/interrupts.h"
#include "platform/posix/waiting.h"

namespace posix {

#ifdef __linux__

int watchInput(int fd) {
    int watch = ::epoll_create1(EPOLL_CLOEXEC);
    if (watch < 0) return -1;
    epoll_event input{};
    input.events = EPOLLIN;
    input.data.fd = fd;
    // An interrupt wakes the wait as well, so that it ends the run at once.
    epoll_event interrupt{};
    interrupt.events = EPOLLIN;
    interrupt.data.fd = interruptFd();
    if (::epoll_ctl(watch, EPOLL_CTL_ADD, fd, &input) != 0 ||
        (interrupt.data.fd >= 0 && ::epoll_ctl(watch, EPOLL_CTL_ADD, interrupt.data.fd, &interrupt) != 0)) {
        int error = errno;
        ::close(watch);
        errno = error;
        return -1;
    }
    return watch;
}

void unwatchInput(int watch) { ::close(watch); }

int waitForInput(int watch, std::uint64_t timeoutMs) {
    // epoll reports input, hang-up and error with poll's values.
    static_assert(EPOLLIN == POLLIN && EPOLLHUP == POLLHUP && EPOLLERR == POLLERR);
    return waitResuming(timeoutMs, [watch](int ms) {
        epoll_event event{};
        int ready = ::epoll_wait(watch, &event, 1, ms);
        if (ready > 0 && event.data.fd == interruptFd()) {
            errno = EINTR;  // the interrupt came: the next round ends the run
            return -1;
        }
        return ready > 0 ? static_cast<int>(event.events) : ready;
    });
}

#else

int watchInput(int fd) { return fd; }  // the port itself

void unwatchInput(int) {}

int waitForInput(int watch, std::uint64_t timeoutMs) { return waitFor(watch, POLLIN, timeoutMs); }

#endif

}  // namespace posix
