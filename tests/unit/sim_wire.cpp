// The simulated line's timing and bit rates: 10 bit times per byte,
// bytes serialised one after the other, garbage across differing rates.
#include <gtest/gtest.h>

#include "tests/unit/sim_test_card.h"

using namespace simtest;

namespace {

constexpr sim::Nanos kByte = 10'000'000'000ull / 115200;  // 86805 ns
constexpr sim::Nanos kDelay = 500 * kUs;                  // the card's processing time
const std::string kProbe(1, '\0');

TEST(SimWire, EveryByteTakesTenBitTimesAndQueuesBehindTheOneBefore) {
    Card card({}, 1000);
    card.host.send("#DEVTY");
    card.host.send("PE\r");  // same instant: waits for the line
    auto bytes = card.host.timedCollect(100 * kMs);
    ASSERT_EQ(bytes.size(), std::string("#DEVTYPE SDITOHDMI\r").size());
    // The command is complete when its ninth byte has arrived.
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        EXPECT_EQ(bytes[i].first, 1000 + 9 * kByte + kDelay + (i + 1) * kByte) << i;
    }
}

TEST(SimWire, NothingArrivesBeforeItsTimeUnlessTheCardIsUnpaced) {
    Card card;
    card.host.send(kProbe);
    sim::Nanos firstAt = kByte + kDelay + kByte;
    std::uint8_t byte;
    EXPECT_FALSE(card.line.nextArrival(firstAt - 1).has_value());
    EXPECT_EQ(card.line.hostRead(&byte, 1, firstAt - 1), 0u);
    EXPECT_EQ(card.line.nextArrival(firstAt + kMs), firstAt);
    EXPECT_EQ(card.line.hostRead(&byte, 1, firstAt), 1u);

    Card unpaced(options([](auto& o) { o.paced = false; }), 5000);
    unpaced.host.send("#DEVTYPE\r");
    auto answer = unpaced.host.timedCollect(10 * kMs);
    EXPECT_FALSE(answer.empty());
    for (auto& [at, ignored] : answer) EXPECT_EQ(at, 5000u);
}

TEST(SimWire, EitherSideAtAnotherRateIsHeardAsGarbage) {
    Card host;
    host.line.setHostBaud(9600);
    EXPECT_EQ(host.host.exchange("#DEVTYPE\r"), "");
    EXPECT_EQ(host.line.received(), std::string(9, '\xff'));

    Card card;
    card.host.send(kProbe);
    card.line.setHostBaud(9600);  // before any of the answer has arrived
    std::string answer = card.host.exchange("");
    EXPECT_GE(answer.size(), 11u);
    EXPECT_EQ(answer, std::string(answer.size(), '\xff'));
}

TEST(SimWire, BytesReceivedBeforeARateChangeKeepTheirValue) {
    Card card;
    card.host.send(kProbe);
    card.host.wait(50 * kMs);
    std::uint8_t none;
    card.line.hostRead(&none, 0, card.host.now());  // the host looks at the line after the answer arrived
    card.line.setHostBaud(9600);
    std::string answer = card.host.exchange("", kMs);
    EXPECT_GE(answer.size(), 11u);
    EXPECT_EQ(answer.find('\xff'), std::string::npos);
}

TEST(SimWire, TheBootProgramHearsNineThousandSixHundredAtItsPace) {
    Card card(options([](auto& o) { o.bootMode = true; }));
    card.line.setHostBaud(9600);
    card.host.send("UU");
    for (std::string heard : {"U", "UU"}) {
        card.host.wait(heard == "U" ? 2 * (10'000'000'000ull / 9600) - 1 : 1);
        card.line.nextArrival(card.host.now());
        EXPECT_EQ(card.line.received(), heard);
    }
    EXPECT_EQ(card.host.exchange(std::string("\0\0U", 3)), std::string("\0\0\xAA", 3));
    EXPECT_EQ(card.line.received(), std::string("UU\0\0U", 5));
}

}  // namespace
