// The real clock: a millisecond tick count and sleeps.
#include <cerrno>
#include <cstdio>
#include <ctime>

#include "platform/posix/waiting.h"
#include "platform/win32.h"

DWORD GetTickCount() { return static_cast<DWORD>(posix::monotonicNs() / posix::kNanosPerMs); }

void _sleep(unsigned long milliseconds) {
    std::fflush(stdout);
    timespec left{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    // A signal cuts the sleep short; the rest is slept again.
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}
