// Bytes from any host or a noisy line into a fresh card model, every reader and
// program of it. Input: [card options, a bit each: boot mode, old firmware, faults,
// unpaced, going away, silent, the host at the boot bit rate, a model with an EDID]
// [fault seed] then steps [control][count][bytes]; the control's low six bits are the
// pause before the step, bit 6 the next bit rate, bit 7 the host's clock from 0 again.
// Whatever arrives: a byte the card announces is delivered; what one
// drain delivers stays within the card's transmit buffer; what the card
// keeps (received bytes, flash devices) stays within its bounds.
#include <iterator>

#include "sim/card_choices.h"
#include "sim/card.h"
#include "tests/fuzz/scripted_line.h"

namespace {

using fuzz::require;
using sim::Nanos;
namespace choices = sim::choices;

constexpr std::size_t kReceivedLimit = 4096;
constexpr std::uint32_t kBitRates[] = {choices::kFirmwareBaud, choices::kBootBaud, 57600, 19200};
constexpr std::size_t kBootRate = 1;
constexpr int kFlashDevices[] = {1, 5, 7};
// After the last step, long enough for every reply and erase to end.
constexpr Nanos kSettle = 60 * choices::kSecond;

sim::CardOptions optionsOf(std::uint8_t code, std::uint8_t seed) {
    sim::CardOptions options;
    options.bootMode = code & 0x01;
    options.oldFirmware = code & 0x02;
    if (code & 0x04) {
        options.noise = options.drop = options.corrupt = options.nack = options.late = 1.0 / 16;
    }
    options.paced = !(code & 0x08);
    if (code & 0x10) options.vanishAfter = 1u + seed;
    options.silent = code & 0x20;
    if (code & 0x80) options.model = "DVITOSDI";
    options.seed = seed;
    options.receivedLimit = kReceivedLimit;
    return options;
}

// Pause codes 0 to 31 are 0 to 1.55 ms in byte-sized steps of 50 us; 32 to
// 63 are 0 to 15.5 s in steps of 500 ms, past resets and erases.
Nanos pauseOf(std::uint8_t code) {
    code &= 0x3F;
    if (code < 32) return code * 50 * choices::kMicrosecond;
    return (code - 32u) * 500 * choices::kMillisecond;
}

// Takes every byte that has reached the host by `now`.
void drain(sim::Card& card, Nanos now) {
    std::uint8_t out[256];
    std::size_t delivered = 0;
    while (std::optional<Nanos> next = card.nextArrival(now)) {
        require(*next <= now, "an announced byte arrives by the time asked for");
        std::size_t got = card.hostRead(out, sizeof out, now);
        require(got > 0 && got <= sizeof out, "an announced byte is delivered");
        delivered += got;
        require(delivered <= choices::kMaxPendingReplyBytes, "one drain stays within the transmit buffer");
    }
}

void requireBoundedMemories(const sim::Card& card) {
    require(card.received().size() <= kReceivedLimit, "the received bytes kept stay within their limit");
    for (int device : kFlashDevices) {
        require(card.flashDevice(device).size() <= choices::kFlashCapacity, "a flash device keeps its capacity");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    sim::Card card(optionsOf(data[0], data[1]));
    std::size_t rate = (data[0] & 0x40) ? kBootRate : 0;
    card.setHostBaud(kBitRates[rate]);
    Nanos now = 0;
    std::size_t i = 2;
    while (i + 2 <= size) {
        std::uint8_t control = data[i];
        std::size_t count = data[i + 1];
        i += 2;
        if (count > size - i) count = size - i;
        if (control & 0x80) now = 0;
        now += pauseOf(control);
        drain(card, now);
        if (control & 0x40) {
            rate = (rate + 1) % std::size(kBitRates);
            card.setHostBaud(kBitRates[rate]);
        }
        card.hostWrite(data + i, count, now);
        i += count;
    }
    drain(card, now + kSettle);
    requireBoundedMemories(card);
    return 0;
}
