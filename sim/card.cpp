#include "sim/card.h"

#include <algorithm>
#include <limits>

#include "sim/microcontroller.h"
#include "sim/card_choices.h"
#include "sim/memory/card_memory.h"
#include "sim/line/fault_dice.h"
#include "sim/line/wire.h"

namespace sim {

struct Card::Impl final : ReplySink {
    explicit Impl(const CardOptions& opts)
        : options(opts),
          lateDice(options.seed, FaultStream::kLate),
          wire(options),
          memory(options.stateDir),
          microcontroller(std::make_unique<Microcontroller>(options, memory, *this)) {}

    void reply(Nanos at, std::string_view bytes) override { replyAfter(at, choices::kProcessingDelay, bytes); }

    Nanos replyAfter(Nanos at, Nanos processing, std::string_view bytes) override {
        Nanos ready = options.paced ? at + processing : at;
        if (lateDice.roll(options.late)) ready += options.lateByMs * choices::kMillisecond;
        return wire.cardSends(bytes, ready, microcontroller->listeningBaud());
    }

    // Once the card has restarted it is out of step with the host, which
    // cannot know: what it loses then is no pause the host failed to give.
    void lost(Nanos at, std::string_view doing) override {
        if (!restarted && violations.size() < choices::kViolationsKept) {
            violations.push_back({at, std::string(doing)});
        }
    }

    // The card's own time for the host's `now`. The card's time never runs
    // backwards: when the host's clock starts again (a new simulated run
    // on the same card), the card's time carries on from where it was.
    Nanos cardTime(Nanos now) {
        Nanos time = now + offset;
        if (time < latest) {
            offset += latest - time;
            time = latest;
            restartedAt = latest;
        }
        latest = time;
        return time;
    }

    // The card at the host's `now`: plugged in again if its time has come,
    // every byte that reached it by then handled. Returns the card's time.
    // (Looking ahead, as nextArrivals does, handles bytes but plugs nothing
    // in: the card is back only once the host's time has come to it.)
    Nanos advanceTo(Nanos now) {
        Nanos time = cardTime(now);
        plugBackIn(time);
        processUntil(time);
        return time;
    }

    // The card handles every byte that reaches it by `until`, in order.
    void processUntil(Nanos until) {
        while (auto arrival = wire.takeArrival(until, microcontroller->listeningBaud())) {
            microcontroller->receive(arrival->byte, arrival->at);
            crossed(arrival->at);
        }
    }

    // One more byte has crossed the line at `at`, either way: the restart
    // and unplug faults count them.
    void crossed(Nanos at) {
        ++bytesCrossed;
        if (bytesCrossed == options.restartAfter) powerCycle(at);
        if (bytesCrossed == options.unplugAfter) unplug(at);
    }

    // The card loses power at `at` and starts again: its memories stay.
    void powerCycle(Nanos at) {
        restarted = true;
        wire.dropUnsent(at);
        microcontroller = std::make_unique<Microcontroller>(options, memory, *this, at);
    }

    void unplug(Nanos at) {
        wire.unplug(at);
        plugged = false;
        backAt = options.goneForMs == 0 ? std::numeric_limits<Nanos>::max()
                                        : at + options.goneForMs * choices::kMillisecond;
    }

    // Another card with the same memories, plugged in at `backAt`.
    void plugBackIn(Nanos now) {
        if (plugged || options.goneForMs == 0 || now < backAt) return;
        plugged = true;
        ++plugging;
        wire.replug();
        powerCycle(backAt);
    }

    // How many bytes may be handed to the host before the next fault.
    std::size_t beforeFault(std::size_t max) const {
        for (std::uint64_t limit : {options.restartAfter, options.unplugAfter}) {
            if (limit > bytesCrossed) max = std::min<std::uint64_t>(max, limit - bytesCrossed);
        }
        return max;
    }

    CardOptions options;
    FaultDice lateDice;
    Nanos offset = 0;       // card time minus host time
    Nanos latest = 0;       // the latest card time the host acted at
    Nanos restartedAt = 0;  // the card time at which the host's clock last started again
    Wire wire;
    std::vector<TimingViolation> violations;
    CardMemory memory;
    std::unique_ptr<Microcontroller> microcontroller;
    std::uint64_t bytesCrossed = 0;
    bool restarted = false;
    bool plugged = true;
    std::uint64_t plugging = 1;  // the connection the card is on, counted from 1
    Nanos backAt = 0;
};

Card::Card(const CardOptions& options) : impl_(std::make_unique<Impl>(options)) {}

Card::~Card() = default;

void Card::setHostBaud(std::uint32_t baud) { impl_->wire.setHostBaud(baud); }

void Card::hostWrite(const std::uint8_t* data, std::size_t count, Nanos now) {
    Nanos time = impl_->advanceTo(now);
    impl_->wire.hostSends(data, count, time);
}

std::optional<Nanos> Card::nextArrival(Nanos until) {
    Nanos next = 0;
    if (nextArrivals(until, &next, 1) == 0) return std::nullopt;
    // A byte that arrived before the host last acted is there at once.
    return std::max(next, impl_->latest - impl_->offset);
}

std::size_t Card::nextArrivals(Nanos until, Nanos* out, std::size_t max) {
    Nanos horizon = until + impl_->offset;
    if (horizon < impl_->latest) horizon = impl_->cardTime(until);
    impl_->processUntil(horizon);
    std::size_t count = impl_->wire.deliveryTimes(horizon, out, max);
    // A byte that arrived before the host's clock started again arrived as it started.
    for (std::size_t i = 0; i < count; ++i) out[i] = std::max(out[i], impl_->restartedAt) - impl_->offset;
    return count;
}

std::size_t Card::hostRead(std::uint8_t* out, std::size_t max, Nanos now) {
    Nanos time = impl_->advanceTo(now);
    std::size_t count = impl_->wire.deliver(out, impl_->beforeFault(max), time);
    for (std::size_t i = 0; i < count; ++i) impl_->crossed(time);
    return count;
}

std::uint64_t Card::connection(Nanos now) {
    impl_->advanceTo(now);
    return impl_->plugged ? impl_->plugging : 0;
}

std::optional<Nanos> Card::pluggedInAgainAt() const {
    if (impl_->plugged || impl_->options.goneForMs == 0) return std::nullopt;
    return impl_->backAt - impl_->offset;
}

void Card::takeEverythingSent() { impl_->processUntil(std::numeric_limits<Nanos>::max()); }

const std::vector<std::uint8_t>& Card::flashDevice(int device) const {
    static const std::vector<std::uint8_t> kNone;
    const FlashDevice* flash = impl_->memory.flash(device);
    return flash == nullptr ? kNone : flash->content();
}

const std::vector<std::uint8_t>& Card::microFlash() const { return impl_->memory.micro().content(); }

const std::string& Card::received() const { return impl_->wire.received(); }

const std::vector<Nanos>& Card::receivedTimes() const { return impl_->wire.receivedTimes(); }

const std::vector<TimingViolation>& Card::timingViolations() const { return impl_->violations; }

const ContentMemory& Card::content() const { return impl_->memory.content(); }

void Card::saveState() const { impl_->memory.save(); }

}  // namespace sim
