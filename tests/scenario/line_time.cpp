// The protocol's pauses in which the card is not busy, pinned by when it received the
// bytes around them (those in which it is busy, by every run's timing violations).
#include "boot/commands.h"
#include "tests/support/card_run.h"

namespace {

constexpr double kMs = 1e6;  // nanoseconds

// Milliseconds between the card's receiving byte `before` and byte `after`.
double gapMs(const sim::Card& card, std::size_t before, std::size_t after) {
    const std::vector<sim::Nanos>& times = card.receivedTimes();
    return static_cast<double>(times.at(after) - times.at(before)) / kMs;
}

TEST(LineTime, PausesInWhichTheCardIsIdleAreKept) {
    // 20 bytes (1.7 ms on the line): the pause before the sum shows.
    const std::string writeKernel = "WRITE KERNEL 20 BYTE";
    // clang-format off
    const struct {
        const char* what;
        std::function<void(sim::CardOptions&)> card;
        // The two bytes around the pause, and the least time between them.
        std::function<std::pair<std::size_t, std::size_t>(const std::string& received)> bytes;
        double leastMs;
    } pauses[] = {
        {"100 ms after the second probe, 10 ms more before the first byte at 9600 bit/s",
         [](auto& o) { o.bootMode = true; }, [](const std::string&) { return std::pair{1, 2}; },
         100 + 10 + 0.95},
        {"10 ms before the write kernel's sum",
         [](auto& o) { o.bootMode = true; },
         [&](const std::string& received) {
             std::size_t last = received.find(writeKernel) + writeKernel.size() - 1;
             return std::pair{last, last + 1};
         },
         10 - 20 * 0.087 + 0.08},
    };
    // clang-format on
    for (const auto& pause : pauses) {
        SCOPED_TRACE(pause.what);
        WorkDir dir{256};
        dir.write("Genw7144.cde", writeKernel);
        sim::Card card{cardOptions("SDITOHDMI", pause.card)};
        flag = 0;
        CardRun run = runOnCard(card, {"COM1", "MICRO"});
        ASSERT_EQ(run.status, 0) << run.output;
        auto [before, after] = pause.bytes(card.received());
        EXPECT_GE(gapMs(card, before, after), pause.leastMs);
    }
}

// The run ends half a second after the "6" that starts an old firmware's boot program.
TEST(LineTime, TheRunEndsHalfASecondAfterTheKeyThatStartsTheBootProgram) {
    WorkDir dir{256};
    sim::Card card{cardOptions("SDITOHDMI", [](auto& o) { o.oldFirmware = true; })};
    CardRun run = runOnCard(card, {"COM1", "MICRO"});
    ASSERT_EQ(card.received().back(), '6');
    EXPECT_GE(run.seconds * 1e3 - static_cast<double>(card.receivedTimes().back()) / kMs, 500 - 0.09);
}

}  // namespace
