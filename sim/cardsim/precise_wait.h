// Waits on the terminal and the stop signal until a deadline to the
// nanosecond: a paced card hands bytes over when their time has come, not
// at the next millisecond.
#pragma once

#include <optional>

#include "sim/line/serial_peer.h"

namespace cardsim {

// The real clock (CLOCK_MONOTONIC), in nanoseconds.
sim::Nanos monotonicNow();

// Lets this process's timed waits end as close to their deadlines as the
// system allows: on Linux a timer slack of 1 ns instead of 50 us, and
// (best effort, as the tool does for itself) a raised priority, so that
// work beside it does not hold a due byte back.
void sharpenTiming();

// The serve loop's one wait: for the stop signal, for what it watches on
// the terminal's master, or for a deadline. On Linux the two descriptors
// stay in one epoll set for the loop's whole life, so that a wait (one
// every millisecond while a reply goes out) does not register with the
// terminal and the pipe and unregister again each time.
class PreciseWait {
public:
    // A `masterFd` of -1 while there is no terminal: never watched.
    PreciseWait(int stopFd, int masterFd);
    ~PreciseWait();
    PreciseWait(const PreciseWait&) = delete;
    PreciseWait& operator=(const PreciseWait&) = delete;

    // What the master is watched for from now on: poll's POLLIN and
    // POLLOUT; 0 leaves it alone, hang-ups and errors included.
    void watchMaster(short events);

    struct Ready {
        bool stop = false;
        short master = 0;  // poll's events
    };
    // Waits until the stop signal or a watched event of the master comes,
    // or `deadline` (on monotonicNow's clock); without a deadline, until
    // one comes. Returns 1 with `ready` filled, 0 at the deadline, or -1
    // with errno set.
    int waitUntil(std::optional<sim::Nanos> deadline, Ready& ready);

private:
    int stopFd_;
    int masterFd_;
    short masterEvents_ = 0;
    int epoll_ = -1;
};

}  // namespace cardsim
