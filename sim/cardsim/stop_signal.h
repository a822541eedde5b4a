// SIGINT, SIGTERM and SIGHUP as a readable descriptor (a self-pipe), so the
// event loop wakes for them in its poll and never misses one that arrives
// just before it blocks.
#pragma once

#include <string>

namespace cardsim {

class StopSignal {
public:
    StopSignal() = default;
    ~StopSignal();
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

    // On failure returns false and says why in `error`.
    bool install(std::string& error);

    // Readable once a stop signal has arrived.
    int fd() const { return readEnd_; }

private:
    int readEnd_ = -1;
};

}  // namespace cardsim
