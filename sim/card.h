// A whole simulated card at the far end of a serial line: the wire (bit
// rates, byte times, faults) and every counterpart behind it. Its choices
// are gathered in sim/card_choices.h.
//
// The card's time never runs backwards: when the host's clock starts again
// (a new simulated run on the same card), the card carries on from the
// latest time it had seen, as if the new run followed at once.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/card_options.h"
#include "sim/memory/content_memory.h"
#include "sim/line/busy_window.h"
#include "sim/line/serial_peer.h"

namespace sim {

class Card : public SerialPeer {
public:
    explicit Card(const CardOptions& options);
    ~Card() override;

    void setHostBaud(std::uint32_t baud) override;
    void hostWrite(const std::uint8_t* data, std::size_t count, Nanos now) override;
    std::optional<Nanos> nextArrival(Nanos until) override;
    std::size_t hostRead(std::uint8_t* out, std::size_t max, Nanos now) override;
    std::uint64_t connection(Nanos now) override;

    // The host's time at which a card unplugged is plugged in again; none
    // while it is plugged in or when it never comes back.
    std::optional<Nanos> pluggedInAgainAt() const;

    // The card takes in every byte the host has sent, each at the time it
    // arrives, however late: for a harness at the end of a run, since the
    // card handles bytes only as the host's time passes them.
    void takeEverythingSent();

    // The times at which the next bytes from the card reach the host: those
    // that reach it by `until`, at most `max` of them, into `out`. Returns
    // how many. Unlike nextArrival, which gives a byte that came before the
    // host's latest action as there at that action, these are the times the
    // bytes came, for a host that passes them on later (cardsim's delivery).
    std::size_t nextArrivals(Nanos until, Nanos* out, std::size_t max);

    // Flash device 1, 5 or 7 from address 0 up to the highest byte ever
    // written (unwritten bytes 0xFF).
    const std::vector<std::uint8_t>& flashDevice(int device) const;

    // The microcontroller's flash from address 0 (erased bytes 0xFF).
    const std::vector<std::uint8_t>& microFlash() const;
    // The EDID memory, the gamma table, the last FPGA configuration played
    // and the log of text commands.
    const ContentMemory& content() const;

    // Every byte the card received, as it received it (after the wire's
    // faults), and the card's time at which each arrived.
    const std::string& received() const;
    const std::vector<Nanos>& receivedTimes() const;

    // The bytes the card lost because they came while it was busy, in
    // order: each a pause the host did not give it.
    const std::vector<TimingViolation>& timingViolations() const;

    // Writes the memories into the state directory, if there is one.
    void saveState() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace sim
