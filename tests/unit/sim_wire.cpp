// The simulated line's timing and bit rates: 10 bit times per byte,
// bytes serialised one after the other, garbage across differing rates.
#include <gtest/gtest.h>

#include "sim/card_line.h"
#include "tests/unit/sim_test_line.h"

using simtest::kMs;
using simtest::kUs;
using simtest::TestHost;

namespace {

constexpr sim::Nanos kByte115200 = 10'000'000'000ull / 115200;  // 86805 ns
constexpr sim::Nanos kByte9600 = 10'000'000'000ull / 9600;
constexpr sim::Nanos kDelay = 500 * kUs;                        // the card's processing time
const std::string kProbe(1, '\0');

TEST(SimWire, EveryByteTakesTenBitTimesBothWays) {
    sim::CardLine line{sim::CardOptions{}};
    TestHost host(line, 1000);
    host.send("#DEVTYPE\r");
    auto bytes = host.timedCollect(100 * kMs);
    ASSERT_EQ(bytes.size(), std::string("#DEVTYPE SDITOHDMI\r").size());
    // The command is complete when its ninth byte has arrived.
    sim::Nanos first = 1000 + 9 * kByte115200 + kDelay + kByte115200;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        EXPECT_EQ(bytes[i].first, first + i * kByte115200) << i;
    }
}

TEST(SimWire, HostBytesQueueBehindEachOther) {
    sim::CardLine line{sim::CardOptions{}};
    TestHost host(line);
    host.send("#DEVTY");
    host.send("PE\r");  // same instant: waits for the line
    auto bytes = host.timedCollect(100 * kMs);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes[0].first, 9 * kByte115200 + kDelay + kByte115200);
}

TEST(SimWire, NothingArrivesBeforeItsTime) {
    sim::CardLine line{sim::CardOptions{}};
    TestHost host(line);
    host.send(kProbe);
    sim::Nanos firstAt = kByte115200 + kDelay + kByte115200;
    EXPECT_FALSE(line.nextArrival(firstAt - 1).has_value());
    std::uint8_t byte;
    EXPECT_EQ(line.hostRead(&byte, 1, firstAt - 1), 0u);
    EXPECT_EQ(line.nextArrival(firstAt + kMs), firstAt);
    EXPECT_EQ(line.hostRead(&byte, 1, firstAt), 1u);
}

TEST(SimWire, UnpacedCardAnswersAtOnce) {
    sim::CardOptions o;
    o.paced = false;
    sim::CardLine line(o);
    TestHost host(line, 5000);
    host.send("#DEVTYPE\r");
    for (auto& [at, byte] : host.timedCollect(10 * kMs)) EXPECT_EQ(at, 5000u);
}

TEST(SimWire, HostAtAnotherRateIsHeardAsGarbage) {
    sim::CardLine line{sim::CardOptions{}};
    TestHost host(line);
    line.setHostBaud(9600);
    host.send("#DEVTYPE\r");
    EXPECT_EQ(host.collect(100 * kMs), "");
    EXPECT_EQ(line.received(), std::string(9, '\xff'));
}

TEST(SimWire, HostBytesAtNineThousandSixHundredTakeTheirTime) {
    sim::CardOptions o;
    o.bootMode = true;
    sim::CardLine line(o);
    TestHost host(line);
    line.setHostBaud(9600);
    host.send("UU");
    host.wait(2 * kByte9600 - 1);
    line.nextArrival(host.now());
    EXPECT_EQ(line.received(), "U");
    host.wait(1);
    line.nextArrival(host.now());
    EXPECT_EQ(line.received(), "UU");
}

TEST(SimWire, CardAtAnotherRateIsHeardAsGarbage) {
    sim::CardLine line{sim::CardOptions{}};
    TestHost host(line);
    host.send(kProbe);
    line.setHostBaud(9600);  // before any of the answer has arrived
    std::string answer = host.collect(100 * kMs);
    EXPECT_GE(answer.size(), 11u);
    EXPECT_EQ(answer, std::string(answer.size(), '\xff'));
}

TEST(SimWire, BytesReceivedBeforeARateChangeKeepTheirValue) {
    sim::CardLine line{sim::CardOptions{}};
    TestHost host(line);
    host.send(kProbe);
    host.wait(50 * kMs);
    std::uint8_t none;
    line.hostRead(&none, 0, host.now());  // the host looks at the line after the answer arrived
    line.setHostBaud(9600);
    std::string answer = host.collect(kMs);
    EXPECT_GE(answer.size(), 11u);
    EXPECT_EQ(answer.find('\xff'), std::string::npos);
}

}  // namespace
