// XSVF files, as a vendor tool or a damaged disk may leave them, played by the card
// model while a host serves what it asks for. Input: [faults][the file]; the fault
// byte's bits 0-1 are the error-report interval, 2-4 the request answered with "~F"
// (0: none), bit 5 a stall in the first block request, bit 7 an unpaced card.
// Whatever the file holds: the card sends nothing but requests ('*', "$$"
// and a length of 1 to 65535), error reports "$E" when asked to, and one end
// mark; after each answer it asks again or ends; it keeps the file, exactly
// as served, only when it ends with "~S"; a host that keeps the quiet
// before each answer loses no byte.
#include <vector>

#include "sim/card.h"
#include "sim/card_choices.h"
#include "tests/fuzz/scripted_line.h"

namespace {

using fuzz::require;
using sim::Nanos;
namespace choices = sim::choices;

// Further than the longest wait one instruction can ask for (2^32 us).
constexpr Nanos kFar = 60ull * 24 * 3600 * choices::kSecond;
// As the FPGA command, the host serves a request after this much quiet.
constexpr Nanos kQuiet = 50 * choices::kMillisecond;

sim::CardOptions optionsOf(std::uint8_t code) {
    sim::CardOptions options;
    options.fpgaErrorEvery = code & 0x03;
    options.fpgaFailAt = (code >> 2) & 0x07;
    if (code & 0x20) options.fpgaStallAt = 1;
    options.paced = !(code & 0x80);
    options.receivedLimit = 0;
    return options;
}

// The host: reads the card's bytes as they come and serves the file from `data`.
class Host {
public:
    Host(sim::Card& card, const std::uint8_t* data, std::size_t size) : card_(card), data_(data), size_(size) {}

    // The next byte from the card; false when it sends nothing more.
    bool next(std::uint8_t& byte) {
        std::optional<Nanos> at = card_.nextArrival(now_ + kFar);
        if (!at) return false;
        if (*at > now_) now_ = *at;
        require(card_.hostRead(&byte, 1, now_) == 1, "an announced byte is delivered");
        return true;
    }

    // The card's next byte, which must come: it is part of a request.
    std::uint8_t following() {
        std::uint8_t byte = 0;
        require(next(byte), "a request's bytes come together");
        return byte;
    }

    // Sends the next `count` bytes of the file; false when the file ends first.
    bool serve(std::size_t count) {
        if (count > size_ - served_) return false;
        now_ += kQuiet;
        card_.hostWrite(data_ + served_, count, now_);
        served_ += count;
        return true;
    }

    std::vector<std::uint8_t> served() const { return std::vector<std::uint8_t>(data_, data_ + served_); }

private:
    sim::Card& card_;
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t served_ = 0;
    Nanos now_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    sim::CardOptions options = optionsOf(data[0]);
    sim::Card card(options);
    card.setHostBaud(choices::kFirmwareBaud);
    card.hostWrite(reinterpret_cast<const std::uint8_t*>("#FPGA 1\r"), 8, 0);
    Host host(card, data + 1, size - 1);

    bool answered = true;  // the last request was served: the card must go on
    std::string end;
    std::uint8_t byte = 0;
    while (end.empty() && host.next(byte)) {
        answered = false;
        if (byte == '*') {
            answered = host.serve(1);
        } else if (byte == '$') {
            std::uint8_t second = host.following();
            if (second == '$') {
                std::size_t length = host.following() * 256u;
                length += host.following();
                require(length >= 1, "a block request asks for at least one byte");
                answered = host.serve(length);
            } else {
                require(second == 'E' && options.fpgaErrorEvery != 0, "an error report only when asked for");
                answered = true;
            }
        } else {
            require(byte == '~', "the card sends requests, error reports and an end mark only");
            end = std::string("~") + static_cast<char>(host.following());
            require(end == "~S" || end == "~F", "the end mark is ~S or ~F");
        }
        if (!answered) break;  // the file ended inside a request, as the FPGA command stops there
    }
    require(card.timingViolations().empty(), "a byte sent after the quiet is taken in");
    require(!end.empty() || !answered, "after each answer the card asks again or ends");
    if (end == "~S") {
        require(card.content().fpgaFile() == host.served(), "the card keeps the file exactly as served");
    } else {
        require(card.content().fpgaFile().empty(), "the card keeps nothing from a play that did not succeed");
    }
    if (!end.empty()) {
        std::uint8_t after = 0;
        require(!host.next(after), "nothing after the end mark");
    }
    return 0;
}
