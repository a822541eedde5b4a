#include "sim/cardsim/serve_loop.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>

#include "sim/cardsim/precise_wait.h"

namespace cardsim {

namespace {
constexpr std::size_t kChunk = 4096;
constexpr sim::Nanos kMicrosecond = 1000;
constexpr sim::Nanos kMillisecond = 1000 * kMicrosecond;
constexpr sim::Nanos kSecond = 1000 * kMillisecond;
// How far ahead the loop asks the card for its next bytes.
constexpr sim::Nanos kLookAhead = 3600ull * 1000 * kMillisecond;
// After the master reports an error, how long it is left alone.
constexpr sim::Nanos kErrorPause = 100 * kMillisecond;
// How many of the next bytes' arrivals a chunk is made from.
constexpr std::size_t kArrivalsAhead = 64;
static_assert(kArrivalsAhead >= sim::kLargestThreshold);
// A character's time before the terminal tells its bit rate: at the card's.
constexpr std::uint32_t kUntoldBaud = 115200;

class Server {
public:
    Server(sim::Card& line, PseudoTerminal& terminal, LinkClaim& link, const sim::HostDelivery& delivery,
           const ByteTrace& trace)
        : line_(line),
          terminal_(terminal),
          link_(link),
          delivery_(delivery),
          trace_(trace),
          connection_(line.connection(monotonicNow())) {}

    // Serves the terminal until the card is unplugged (true) or a stop
    // signal comes (false).
    bool serveConnection(int stopFd);
    // Without a terminal, waits until the card is plugged in again and gives
    // it a new one (true); false when a stop signal comes first or the
    // terminal cannot be made (`error` says why).
    bool awaitReplug(int stopFd, std::string& error);

private:
    void followHostBaud(sim::Nanos now);
    std::optional<sim::Nanos> handOver(sim::Nanos now);
    void writeOut();
    void receive();
    void traceViolations();
    void unplug(sim::Nanos now);
    bool plugIn(std::uint64_t connection, sim::Nanos now, std::string& error);

    sim::Card& line_;
    PseudoTerminal& terminal_;
    LinkClaim& link_;
    const sim::HostDelivery& delivery_;
    const ByteTrace& trace_;
    std::uint64_t connection_;  // the card's connection the terminal serves
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

// Takes the chunks whose moment has come from the card and writes them to
// the terminal. Returns the next chunk's moment, if the card has one coming
// and the terminal took everything.
std::optional<sim::Nanos> Server::handOver(sim::Nanos now) {
    if (outStart_ == outEnd_) outStart_ = outEnd_ = 0;
    sim::Nanos characterTime = 10 * kSecond / (baud_ != 0 ? baud_ : kUntoldBaud);
    std::optional<sim::Nanos> next;
    while (outEnd_ < kChunk) {
        sim::Nanos arrivals[kArrivalsAhead];
        std::size_t known = line_.nextArrivals(now + kLookAhead, arrivals, kArrivalsAhead);
        if (known == 0) break;
        sim::Chunk chunk = sim::firstChunk(delivery_, arrivals, known, characterTime);
        if (chunk.at > now) {
            next = chunk.at;
            break;
        }
        std::size_t got = line_.hostRead(out_ + outEnd_, std::min(chunk.count, kChunk - outEnd_), now);
        trace_.cardToHost(out_ + outEnd_, got, now);
        outEnd_ += got;
    }
    writeOut();
    if (outStart_ < outEnd_) return std::nullopt;
    return next;
}

void Server::writeOut() {
    while (outStart_ < outEnd_) {
        ssize_t written = ::write(terminal_.master(), out_ + outStart_, outEnd_ - outStart_);
        if (written > 0) {
            outStart_ += static_cast<std::size_t>(written);
            continue;
        }
        if (written < 0 && errno == EINTR) continue;
        if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            outStart_ = outEnd_;  // the terminal is gone: the bytes are lost
            quietUntil_ = monotonicNow() + kErrorPause;
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

bool Server::serveConnection(int stopFd) {
    PreciseWait wait(stopFd, terminal_.master());
    for (;;) {
        sim::Nanos now = monotonicNow();
        followHostBaud(now);
        bool quiet = now < quietUntil_;
        std::optional<sim::Nanos> deadline = quietUntil_;
        if (!quiet) deadline = handOver(now);
        // Looking ahead, handOver has the card take in the host's bytes still
        // on the line: the terminal goes when the card is unplugged, at most
        // those bytes' time on the line early.
        if (line_.connection(now) != connection_) {
            unplug(now);
            return true;
        }
        bool waitingToWrite = outStart_ < outEnd_;

        wait.watchMaster(quiet ? 0 : static_cast<short>(POLLIN | (waitingToWrite ? POLLOUT : 0)));
        traceViolations();
        PreciseWait::Ready ready;
        int result = wait.waitUntil(deadline, ready);
        if (result < 0 && errno != EINTR) return false;
        if (result <= 0) continue;
        if (ready.stop) return false;
        if ((ready.master & POLLIN) != 0) {
            receive();
        } else if ((ready.master & (POLLHUP | POLLERR)) != 0) {
            quietUntil_ = monotonicNow() + kErrorPause;
        }
    }
}

// What the adapter had not passed on to the host is lost with it.
void Server::unplug(sim::Nanos now) {
    trace_.note("unplugged: terminal closed, link removed; connection", connection_, now);
    terminal_.close();
    link_.withdraw();
    outStart_ = outEnd_ = 0;
    quietUntil_ = 0;
    connection_ = 0;
}

bool Server::awaitReplug(int stopFd, std::string& error) {
    PreciseWait wait(stopFd, -1);
    for (;;) {
        sim::Nanos now = monotonicNow();
        std::uint64_t connection = line_.connection(now);
        if (connection != 0) return plugIn(connection, now, error);
        PreciseWait::Ready ready;
        int result = wait.waitUntil(line_.pluggedInAgainAt(), ready);
        if ((result < 0 && errno != EINTR) || ready.stop) return false;
    }
}

bool Server::plugIn(std::uint64_t connection, sim::Nanos now, std::string& error) {
    if (!terminal_.open(error) || !link_.pointAt(terminal_.slavePath(), error)) return false;
    connection_ = connection;
    trace_.note("plugged in again: a new terminal; connection", connection, now);
    std::printf("%s\n", terminal_.slavePath().c_str());
    std::fflush(stdout);
    return true;
}
}  // namespace

bool serve(sim::Card& line, PseudoTerminal& terminal, LinkClaim& link, const sim::HostDelivery& delivery,
           const ByteTrace& trace, int stopFd, std::string& error) {
    Server server(line, terminal, link, delivery, trace);
    while (server.serveConnection(stopFd) && server.awaitReplug(stopFd, error)) {
    }
    return error.empty();
}

}  // namespace cardsim
