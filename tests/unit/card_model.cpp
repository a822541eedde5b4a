// The card model refuses what a real card would not take, which runs of the tool
// cannot show; what comes while it is busy is lost and counted; faults follow the seed.
#include "sim/card_choices.h"
#include "sim/memory/flash_device.h"
#include "tests/support/card_run.h"

namespace {

using sim::isp::Words;
namespace choices = sim::choices;
constexpr sim::Nanos kMs = choices::kMillisecond;

std::string acknowledged(std::uint16_t code) { return packet(code + 0x101, {code}); }
std::string refused(std::uint16_t code, std::uint16_t reason) {
    return packet(choices::kNackCode, {code, reason});
}

// What the host sends after waiting `before`, and all that comes back within 100 ms.
struct Step {
    std::string sent;
    std::string answer;
    sim::Nanos before = 0;
};
using Steps = std::vector<Step>;

// The reset that starts the loader, then `driver`'s blocks from `from`, acknowledged.
Steps loadDriver(const std::vector<std::uint8_t>& driver, std::uint32_t from = 0x800) {
    Steps steps{{"=MP\r=MR\r", "=M*=M*"}};
    for (std::uint32_t at = from; at + 16 <= driver.size(); at += 16) {
        Words args{0, static_cast<std::uint16_t>(at)};
        for (std::uint32_t k = at; k < at + 16; k += 2)
            args.push_back(static_cast<std::uint16_t>(driver[k] | driver[k + 1] << 8));
        steps.push_back({packet(0x50D, args), acknowledged(0x50D), at == from ? 5000 * kMs : 0});
    }
    return steps;
}

// 128 EDID bytes valued 1 (their sum is 128) and the sum byte `sum`.
Steps edid(std::uint8_t sum) {
    Steps steps{{"#EDID 1\r", ""}};
    for (int i = 0; i < 128; ++i) steps.push_back({std::string(1, '\x01'), ".", i == 0 ? 400 * kMs : 0});
    steps.push_back({std::string(1, static_cast<char>(sum)), sum == 128 ? "~S" : "~E"});
    return steps;
}

Steps operator+(Steps a, const Steps& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Writes `sent` at `now`, then reads what the card sends within 100 ms.
std::string exchange(sim::Card& card, const std::string& sent, sim::Nanos& now) {
    card.hostWrite(reinterpret_cast<const std::uint8_t*>(sent.data()), sent.size(), now);
    std::string answer;
    std::uint8_t byte;
    for (now += 100 * kMs; auto at = card.nextArrival(now);) {
        if (card.hostRead(&byte, 1, *at) != 1) break;
        answer.push_back(static_cast<char>(byte));
    }
    return answer;
}

std::string replaced(std::string wire, const std::string& escaped, const std::string& raw) {
    return wire.replace(wire.find(escaped, 2), escaped.size(), raw);
}

TEST(CardModel, RefusesWhatARealCardWouldNotTake) {
    const std::string nul = packet(0x632, {0x00D6}), tab = packet(0x632, {0x00DF}),
                      lineFeed = packet(0x632, {0x00E0});
    const std::string idle = packet(0x733, {0x0000});  // the status of a card with nothing selected
    const std::vector<std::uint8_t> driver = sim::sampleFile("FDriver.bin");
    const std::vector<std::uint8_t> gap(0x830, 0);
    const Words call(std::begin(choices::kCallDriverWords), std::end(choices::kCallDriverWords));
    const std::string block = packet(0x50D, {0, 0x800, 1, 2, 3, 4, 5, 6, 7, 8});
    // clang-format off
    const struct {
        const char* what;
        Steps steps;
        std::size_t violations = 0;  // bytes lost to the card's busy windows
        std::string model = "DVITOSDI";
    } cases[] = {
        {"bytes the coding never sends: the packet is lost",
         {{nul, idle}, {replaced(nul, "=@", std::string(1, '\0')), ""}, {tab, idle}, {replaced(tab, "=I", "\t"), ""},
          {lineFeed, idle}, {replaced(lineFeed, "=J", "\n"), ""}, {"=G\x5C=\x70\x2A\x2A\xF8\x23\r", ""}}},
        {"a wrong checksum, a wrong count",
         {{sim::isp::wireForm({0x0632, 0x0000, 0xF9CF}), refused(0x632, choices::kNackBadPacket)},
          {packet(0x632, {0, 0}), refused(0x632, choices::kNackBadArguments)}}},
        {"a driver with a gap is not called",
         loadDriver(gap, 0x820) + Steps{{packet(0x50D, {0, 0x800, 1, 2, 3, 4, 5, 6, 7, 8}), acknowledged(0x50D)},
                                        {packet(0x802, call), refused(0x802, choices::kNackNotNow)},
                                        {packet(0x50D, {0, 0x810, 1, 2, 3, 4, 5, 6, 7, 8}), acknowledged(0x50D)},
                                        {packet(0x802, call), acknowledged(0x802)}}},
        {"everything is refused while the erase runs",
         loadDriver(driver) + Steps{{packet(0x802, call), acknowledged(0x802)},
                                    {packet(0x502, {0x0100, 5, 0x100, 0, 1000, 0}), acknowledged(0x502), 2000 * kMs},
                                    {packet(0x632, {0}), refused(0x632, choices::kNackErasing)},
                                    {packet(0x632, {0}), packet(0x733, {0x0105}), 2000 * kMs}},
         1},
        {"packets are lost while the loader restarts and while the driver starts, not while the firmware "
         "restarts the video processor",
         {{"=MR\r", "=M*"}, {packet(0x632, {0}), idle, 2850 * kMs},
          {"=MP\r=MR\r", "=M*=M*"}, {block, "", 1000 * kMs}, {block, acknowledged(0x50D), 2500 * kMs},
          {packet(0x802, call), acknowledged(0x802)}, {packet(0x632, {0}), "", 1000 * kMs},
          {packet(0x632, {0}), idle, 500 * kMs}},
         2},
        {"EDID with its sum", edid(128)},
        {"EDID with a wrong sum", edid(127)},
        {"EDID bytes sent before the card could ask for them", {{"#EDID 1\r", ""}, {"ab", ".~E", 400 * kMs}}},
        {"EDID bytes lost while the card write-enables its memory", {{"#EDID 1\r", ""}, {"ab", "", 100 * kMs}}, 2},
        {"gamma values sent before the card could ask for them",
         {{"#GAMMA 3 0\r", ""}, {std::string("\0\x01\0", 3), ".~E"}}},
        {"XSVF bytes sent before the card asked for them", {{"#FPGA 1\r", "*"}, {"\x16" "a", "*~F"}}},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim::CardOptions options;
        options.model = c.model;
        sim::Card card{options};
        sim::Nanos now = 0;
        for (const Step& step : c.steps) {
            now += step.before;
            ASSERT_EQ(exchange(card, step.sent, now), step.answer)
                << "after sending " << step.sent.size() << " bytes";
        }
        EXPECT_EQ(card.timingViolations().size(), c.violations);
    }
}

// Programming only clears bits: a tool that skipped an erase cannot pass.
TEST(CardModel, FlashProgrammingOnlyClearsBits) {
    sim::FlashDevice flash(16);
    const std::uint8_t first[] = {0x0F, 0xFF}, second[] = {0xF0, 0x5A};
    flash.program(0, first, 2);
    flash.program(0, second, 2);
    EXPECT_EQ(flash.read(0), 0x00);
    EXPECT_EQ(flash.read(1), 0x5A);
    flash.eraseFrom(1);
    EXPECT_EQ(flash.read(1), 0xFF);
}

// A conversation with every part of the card, on a faulty line.
std::string converse(std::uint64_t seed) {
    sim::CardOptions options;
    options.noise = options.drop = options.corrupt = 0.05;
    options.nack = 0.3;
    options.seed = seed;
    sim::Card card{options};
    std::string heard;
    sim::Nanos now = 0;
    const std::string talk = std::string(1, '\0') + "#DEVERSION\r#DEVTYPE\r=MA\r" + packet(0x633, {0});
    for (int round = 0; round < 20; ++round) heard += exchange(card, talk, now);
    return heard + "|" + card.received();
}

TEST(CardModel, TheSameSeedGivesTheSameFaults) {
    EXPECT_EQ(converse(7), converse(7));
    EXPECT_NE(converse(7), converse(8));
}

}  // namespace
