// The card's injected faults: reproducible for a seed, and each doing what
// it says.
#include <gtest/gtest.h>

#include "sim/card_line.h"
#include "tests/unit/sim_test_line.h"
#include "tests/unit/sim_test_packets.h"

using simtest::TestHost;

namespace {

// A conversation touching every part of the card.
std::string converse(sim::CardLine& line) {
    TestHost host(line);
    std::string heard;
    for (int round = 0; round < 20; ++round) {
        heard += host.exchange(std::string(1, '\0'));
        heard += host.exchange("#DEVERSION\r#DEVTYPE\r");
        heard += host.exchange("=MA\r");
        heard += host.exchange(sim::isp::wireForm(sim::isp::makePacket(0x633, {0})));
    }
    return heard;
}

sim::CardOptions faulty(std::uint64_t seed) {
    sim::CardOptions o;
    o.noise = 0.05;
    o.drop = 0.05;
    o.corrupt = 0.05;
    o.nack = 0.3;
    o.seed = seed;
    return o;
}

TEST(SimFaults, TheSameSeedGivesTheSameFaults) {
    sim::CardLine first(faulty(7));
    sim::CardLine second(faulty(7));
    sim::CardLine other(faulty(8));
    sim::CardLine clean{sim::CardOptions{}};
    std::string heard = converse(first);
    EXPECT_EQ(heard, converse(second));
    EXPECT_EQ(first.received(), second.received());
    EXPECT_NE(heard, converse(other));
    EXPECT_NE(heard, converse(clean));
}

TEST(SimFaults, SilentCardHearsButNeverAnswers) {
    sim::CardOptions o;
    o.silent = true;
    sim::CardLine line(o);
    EXPECT_EQ(converse(line), "");
    EXPECT_FALSE(line.received().empty());
}

TEST(SimFaults, NoiseComesBeforeEveryByteAtRateOne) {
    sim::CardOptions o;
    o.noise = 1.0;
    sim::CardLine line(o);
    TestHost host(line);
    std::string heard = host.exchange("#DEVTYPE\r");
    std::string clean = "#DEVTYPE SDITOHDMI\r";
    ASSERT_EQ(heard.size(), 2 * clean.size());
    for (std::size_t i = 0; i < clean.size(); ++i) EXPECT_EQ(heard[2 * i + 1], clean[i]);
}

TEST(SimFaults, DroppedAndCorruptedBytes) {
    sim::CardOptions dropping;
    dropping.drop = 1.0;
    sim::CardLine deaf(dropping);
    EXPECT_EQ(converse(deaf), "");
    EXPECT_EQ(deaf.received(), "");

    sim::CardOptions corrupting;
    corrupting.corrupt = 1.0;
    sim::CardLine garbled(corrupting);
    TestHost host(garbled);
    std::string sent = "#DEVTYPE\r";
    host.exchange(sent);
    ASSERT_EQ(garbled.received().size(), sent.size());
    for (std::size_t i = 0; i < sent.size(); ++i) EXPECT_NE(garbled.received()[i], sent[i]);
}

TEST(SimFaults, LateRepliesLeaveTheCardLate) {
    sim::CardOptions o;
    o.late = 1.0;
    o.lateByMs = 2500;
    o.paced = false;
    sim::CardLine line(o);
    TestHost host(line);
    host.send("=MP\r");
    auto replies = host.timedCollect(3 * simtest::kSec);
    ASSERT_EQ(replies.size(), 3u);
    EXPECT_EQ(replies[0].first, 2500 * simtest::kMs);
}

TEST(SimFaults, ACardThatGoesAwayKeepsOnlyWhatItHadSent) {
    sim::CardOptions o;
    o.vanishAfter = 2;
    sim::CardLine line(o);
    TestHost host(line);
    const std::string probe(1, '\0');
    host.send(probe);
    host.wait(1200 * simtest::kUs);  // the answer has begun
    host.send(probe);                // the card goes away when this one arrives
    std::string heard = host.collect(simtest::kSec);

    sim::CardLine clean{sim::CardOptions{}};
    TestHost cleanHost(clean);
    std::string whole = cleanHost.exchange(probe);
    EXPECT_FALSE(heard.empty());
    EXPECT_LT(heard.size(), whole.size());
    EXPECT_EQ(heard, whole.substr(0, heard.size()));
    EXPECT_EQ(host.exchange("#DEVTYPE\r"), "");
    EXPECT_EQ(line.received(), std::string(2, '\0'));
}

TEST(SimFaults, NackRefusesPacketsButNotMicroCommands) {
    sim::CardOptions o;
    o.nack = 1.0;
    sim::CardLine line(o);
    TestHost host(line);
    EXPECT_EQ(simtest::nackReason(simtest::exchange(host, 0x633, {0}), 0x633), 0x0004);
    EXPECT_EQ(simtest::nackReason(simtest::exchange(host, 0x632, {0}), 0x632), 0x0004);
    EXPECT_EQ(host.exchange("=MP\r"), "=M*");
}

}  // namespace
