#include "sim/line/wire.h"

#include <algorithm>

#include "sim/card_choices.h"

namespace sim {

namespace {
// A corrupted byte always differs from the byte sent.
std::uint8_t corrupted(std::uint8_t byte, FaultDice& dice) {
    std::uint8_t flip = dice.byte();
    return static_cast<std::uint8_t>(byte ^ (flip == 0 ? 0x01 : flip));
}
}  // namespace

Wire::Wire(const CardOptions& options)
    : paced_(options.paced),
      silent_(options.silent),
      drop_(options.drop),
      corrupt_(options.corrupt),
      noise_(options.noise),
      spareHostBytes_(options.faultsSpareHostBytes),
      receivedLimit_(options.receivedLimit),
      vanishAfter_(options.vanishAfter),
      inDrop_(options.seed, FaultStream::kHostDrop),
      inCorrupt_(options.seed, FaultStream::kHostCorrupt),
      outDrop_(options.seed, FaultStream::kCardDrop),
      outCorrupt_(options.seed, FaultStream::kCardCorrupt),
      outNoise_(options.seed, FaultStream::kNoise),
      hostBaud_(choices::kFirmwareBaud) {}

Nanos Wire::byteTime(std::uint32_t baud) const {
    if (!paced_ || baud == 0) return 0;
    return 10ull * choices::kSecond / baud;
}

void Wire::see(Nanos now) { lastSeen_ = std::max(lastSeen_, now); }

void Wire::settle(OutByte& out) const {
    if (out.settled) return;
    if (out.baud != hostBaud_) out.byte = choices::kGarbageByte;
    out.settled = true;
}

void Wire::setHostBaud(std::uint32_t baud) {
    for (OutByte& out : outgoing_) {
        if (out.at > lastSeen_) break;
        settle(out);
    }
    hostBaud_ = baud;
}

void Wire::hostSends(const std::uint8_t* data, std::size_t count, Nanos now) {
    see(now);
    if (unplugged_) return;
    Nanos time = byteTime(hostBaud_);
    for (std::size_t i = 0; i < count; ++i) {
        inFree_ = std::max(inFree_, now) + time;
        incoming_.push_back({inFree_, data[i], hostBaud_});
    }
}

std::optional<Wire::Arrival> Wire::takeArrival(Nanos until, std::uint32_t cardBaud) {
    while (!incoming_.empty() && incoming_.front().at <= until) {
        InByte in = incoming_.front();
        incoming_.pop_front();
        if (vanished_ || unplugged_ || (!spareHostBytes_ && inDrop_.roll(drop_))) continue;
        std::uint8_t byte = in.baud == cardBaud ? in.byte : choices::kGarbageByte;
        if (!spareHostBytes_ && inCorrupt_.roll(corrupt_)) byte = corrupted(byte, inCorrupt_);
        if (received_.size() < receivedLimit_) {
            received_.push_back(static_cast<char>(byte));
            receivedAt_.push_back(in.at);
        }
        if (vanishAfter_ != 0 && ++taken_ >= vanishAfter_) vanish(in.at);
        return Arrival{in.at, byte};
    }
    return std::nullopt;
}

void Wire::vanish(Nanos at) {
    vanished_ = true;
    dropUnsent(at);
}

void Wire::dropUnsent(Nanos at) {
    while (!outgoing_.empty() && outgoing_.back().at > at) outgoing_.pop_back();
    outFree_ = outgoing_.empty() ? at : std::max(at, outgoing_.back().at);
}

void Wire::unplug(Nanos at) {
    unplugged_ = true;
    dropUnsent(at);
    while (!incoming_.empty() && incoming_.back().at > at) incoming_.pop_back();
}

void Wire::replug() {
    unplugged_ = false;
    incoming_.clear();
    outgoing_.clear();
}

void Wire::queueOut(std::uint8_t byte, Nanos readyAt, std::uint32_t baud) {
    if (outgoing_.size() >= choices::kMaxPendingReplyBytes) return;
    outFree_ = std::max(outFree_, readyAt) + byteTime(baud);
    outgoing_.push_back({outFree_, byte, baud, false});
}

Nanos Wire::cardSends(std::string_view bytes, Nanos readyAt, std::uint32_t cardBaud) {
    if (silent_ || vanished_ || unplugged_) return std::max(outFree_, readyAt);
    for (char c : bytes) {
        if (outNoise_.roll(noise_)) queueOut(outNoise_.byte(), readyAt, cardBaud);
        if (outDrop_.roll(drop_)) continue;
        auto byte = static_cast<std::uint8_t>(c);
        if (outCorrupt_.roll(corrupt_)) byte = corrupted(byte, outCorrupt_);
        queueOut(byte, readyAt, cardBaud);
    }
    return std::max(outFree_, readyAt);
}

std::size_t Wire::deliveryTimes(Nanos until, Nanos* out, std::size_t max) const {
    std::size_t count = 0;
    for (auto next = outgoing_.begin(); count < max && next != outgoing_.end() && next->at <= until; ++next) {
        out[count++] = next->at;
    }
    return count;
}

std::size_t Wire::deliver(std::uint8_t* out, std::size_t max, Nanos now) {
    see(now);
    std::size_t count = 0;
    while (count < max && !outgoing_.empty() && outgoing_.front().at <= now) {
        settle(outgoing_.front());
        out[count++] = outgoing_.front().byte;
        outgoing_.pop_front();
    }
    return count;
}

}  // namespace sim
