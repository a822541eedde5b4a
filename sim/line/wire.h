// The serial line between the host and the card: when each byte arrives,
// what a byte sent at a bit rate the receiver is not set to turns into, and
// the line's faults (dropped, corrupted and noise bytes, a silent card, a
// card that goes away).
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/card_options.h"
#include "sim/line/fault_dice.h"
#include "sim/line/serial_peer.h"

namespace sim {

class Wire {
public:
    explicit Wire(const CardOptions& options);

    // The host's bit rate from now on; bytes that reached the host before
    // the latest time it acted at were received at the previous rate.
    void setHostBaud(std::uint32_t baud);

    void hostSends(const std::uint8_t* data, std::size_t count, Nanos now);

    struct Arrival {
        Nanos at;
        std::uint8_t byte;
    };
    // The next host byte that reaches the card by `until`, as a card
    // listening at `cardBaud` receives it. Dropped bytes are skipped.
    std::optional<Arrival> takeArrival(Nanos until, std::uint32_t cardBaud);

    // The card starts sending `bytes` at `readyAt` (or when the line is
    // free), at `cardBaud`. Returns when the line is free again: the arrival
    // of the last byte queued.
    Nanos cardSends(std::string_view bytes, Nanos readyAt, std::uint32_t cardBaud);

    // When the next bytes the card sent reach the host, those that reach it
    // by `until`, at most `max` of them, into `out`; returns how many.
    std::size_t deliveryTimes(Nanos until, Nanos* out, std::size_t max) const;
    std::size_t deliver(std::uint8_t* out, std::size_t max, Nanos now);

    // The card loses what it had not sent by `at` (its power failed).
    void dropUnsent(Nanos at);

    // Unplugged at `at`: nothing more goes either way, and what was on its
    // way is lost, until replug().
    void unplug(Nanos at);
    // Plugged in again: an empty line.
    void replug();

    // What the card received, after the line's faults (the first
    // `receivedLimit` bytes of the options), and when each byte arrived.
    const std::string& received() const { return received_; }
    const std::vector<Nanos>& receivedTimes() const { return receivedAt_; }

private:
    struct InByte {
        Nanos at;
        std::uint8_t byte;
        std::uint32_t baud;
    };
    struct OutByte {
        Nanos at;
        std::uint8_t byte;
        std::uint32_t baud;
        bool settled;  // already turned into what the host received
    };

    Nanos byteTime(std::uint32_t baud) const;
    void see(Nanos now);
    void settle(OutByte& out) const;
    void queueOut(std::uint8_t byte, Nanos readyAt, std::uint32_t baud);
    // The card goes away at `at`: what it had not sent by then is lost, and
    // it takes in and sends nothing more.
    void vanish(Nanos at);
    bool unplugged_ = false;

    bool paced_;
    bool silent_;
    double drop_;
    double corrupt_;
    double noise_;
    bool spareHostBytes_;
    std::size_t receivedLimit_;
    std::uint64_t vanishAfter_;
    std::uint64_t taken_ = 0;  // bytes the card has taken in
    bool vanished_ = false;

    FaultDice inDrop_, inCorrupt_, outDrop_, outCorrupt_, outNoise_;

    std::uint32_t hostBaud_;
    Nanos lastSeen_ = 0;
    Nanos inFree_ = 0;   // when the host's next byte can start
    Nanos outFree_ = 0;  // when the card's next byte can start
    std::deque<InByte> incoming_;
    std::deque<OutByte> outgoing_;
    std::string received_;
    std::vector<Nanos> receivedAt_;
};

}  // namespace sim
