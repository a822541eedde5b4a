#include "sim/cardsim/serve_loop.h"

#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "sim/cardsim/precise_wait.h"

namespace cardsim {

namespace {
constexpr std::size_t kChunk = 4096;
constexpr sim::Nanos kMicrosecond = 1000;
constexpr sim::Nanos kMillisecond = 1000 * kMicrosecond;
// How far ahead the loop asks the card for its next byte.
constexpr sim::Nanos kLookAhead = 3600ull * 1000 * kMillisecond;
// After the master reports an error, how long it is left alone.
constexpr sim::Nanos kErrorPause = 100 * kMillisecond;
// How long before the last byte the card has to send is due the loop stops
// sleeping and keeps looking, so that the byte leaves on time even when the
// system wakes the loop late. The bytes before it leave on a timed wait: a
// little late for one of them is harmless, since the ones after it keep
// their own times.
constexpr sim::Nanos kSpin = 50 * kMicrosecond;

class Server {
public:
    Server(sim::Card& line, const PseudoTerminal& terminal, const ByteTrace& trace)
        : line_(line), terminal_(terminal), trace_(trace) {}

    void run(int stopFd);

private:
    void followHostBaud(sim::Nanos now);
    void sendDue(sim::Nanos now);
    void receive();
    void traceViolations();

    sim::Card& line_;
    const PseudoTerminal& terminal_;
    const ByteTrace& trace_;
    std::uint32_t baud_ = 0;
    std::uint8_t out_[kChunk];
    std::size_t outStart_ = 0;
    std::size_t outEnd_ = 0;
    sim::Nanos quietUntil_ = 0;  // the master is not polled before this
    std::size_t violationsTraced_ = 0;
};

void Server::traceViolations() {
    const std::vector<sim::TimingViolation>& violations = line_.timingViolations();
    while (violationsTraced_ < violations.size()) trace_.violation(violations[violationsTraced_++]);
}

void Server::followHostBaud(sim::Nanos now) {
    std::uint32_t baud = terminal_.hostBaud();
    if (baud == 0 || baud == baud_) return;
    baud_ = baud;
    line_.setHostBaud(baud);
    trace_.note("host bit rate", baud, now);
}

void Server::sendDue(sim::Nanos now) {
    if (outStart_ == outEnd_) {
        outStart_ = 0;
        outEnd_ = line_.hostRead(out_, kChunk, now);
        trace_.cardToHost(out_, outEnd_, now);
    }
    while (outStart_ < outEnd_) {
        ssize_t written = ::write(terminal_.master(), out_ + outStart_, outEnd_ - outStart_);
        if (written > 0) {
            outStart_ += static_cast<std::size_t>(written);
            continue;
        }
        if (written < 0 && errno == EINTR) continue;
        if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            outStart_ = outEnd_;  // the terminal is gone: the bytes are lost
            quietUntil_ = now + kErrorPause;
        }
        return;
    }
}

void Server::receive() {
    std::uint8_t in[kChunk];
    ssize_t count = ::read(terminal_.master(), in, sizeof in);
    sim::Nanos now = monotonicNow();
    if (count > 0) {
        followHostBaud(now);
        line_.hostWrite(in, static_cast<std::size_t>(count), now);
        trace_.hostToCard(in, static_cast<std::size_t>(count), now);
    } else if (count == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
        quietUntil_ = now + kErrorPause;
    }
}

void Server::run(int stopFd) {
    for (;;) {
        sim::Nanos now = monotonicNow();
        followHostBaud(now);
        bool quiet = now < quietUntil_;
        if (!quiet) sendDue(now);

        bool waitingToWrite = outStart_ < outEnd_;
        std::optional<sim::Nanos> deadline;
        sim::Nanos spin = 0;
        if (quiet) {
            deadline = quietUntil_;
        } else if (!waitingToWrite) {
            deadline = line_.nextArrival(now + kLookAhead);
            if (line_.bytesOnTheirWay() == 1) spin = kSpin;
        }

        pollfd fds[2] = {{stopFd, POLLIN, 0}, {terminal_.master(), 0, 0}};
        if (!quiet) fds[1].events = static_cast<short>(POLLIN | (waitingToWrite ? POLLOUT : 0));
        traceViolations();
        int ready = waitUntil(fds, quiet ? 1 : 2, deadline, spin);
        if (ready < 0 && errno != EINTR) return;
        if (ready <= 0) continue;
        if (fds[0].revents != 0) return;
        if ((fds[1].revents & POLLIN) != 0) {
            receive();
        } else if ((fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            quietUntil_ = monotonicNow() + kErrorPause;
        }
    }
}
}  // namespace

void serve(sim::Card& line, const PseudoTerminal& terminal, const ByteTrace& trace, int stopFd) {
    Server server(line, terminal, trace);
    server.run(stopFd);
}

}  // namespace cardsim
