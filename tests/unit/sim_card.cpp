// What the card answers on the line: its running firmware, old firmware and
// boot program, and the faults it injects (reproducible for a seed).
#include <gtest/gtest.h>

#include "tests/unit/sim_test_card.h"

using namespace simtest;

namespace {

const std::string kProbe(1, '\0');
const sim::CardOptions kPlus = options([](auto& o) { o.model = "HDMITOSDI"; o.firmware = "V3.17b"; o.variant = 2; });

struct Answer {
    const char* what;
    sim::CardOptions options;
    std::string sent, answer;
    std::optional<std::string> heard = {};  // what the card receives, when not what was sent
};

TEST(SimCard, AnswersToTextAndMicroCommands) {
    const Answer cases[] = {
        {"version", kPlus, "#DEVERSION\r", "#DEVERSION 2 V3.17b\r"},
        {"unknown command", kPlus, "#WHAT\r", "#NACK\r"},
        {"overlong command", kPlus, "#" + std::string(200, 'X') + "\r", "#NACK\r"},
        {"noise before a command", kPlus, "xy\x7f#DEVTYPE\r", "#DEVTYPE HDMITOSDI\r"},
        {"any model word", options([](auto& o) { o.model = "SL-SDITODVI"; }), "#DEVTYPE\r", "#DEVTYPE SL-SDITODVI\r"},
        {"unknown model word", options([](auto& o) { o.model = "NOSUCHCARD"; }), "#DEVTYPE\r", "#DEVTYPE NOSUCHCARD\r"},
        {"micro commands", kPlus, "=MP\r=MR\r=MA\r=ME\r=MQ\r", "=M*=M*=M*=M*=M~"},
        {"micro command without return", kPlus, "=MPx", ""},
        {"boot program", options([](auto& o) { o.bootMode = true; }), std::string(2, '\0') + "#DEVTYPE\r=MP\r", "",
         std::string(15, '\xff')},
        {"silent card", options([](auto& o) { o.silent = true; }), "#DEVTYPE\r=MP\r", ""},
        {"every byte dropped", options([](auto& o) { o.drop = 1.0; }), "#DEVTYPE\r", "", ""},
        {"noise before every byte", options([](auto& o) { o.noise = 1.0; }), "=MQ\r", "?=?M?~"},
        {"packets refused, micro commands not", options([](auto& o) { o.nack = 1.0; }), "=MP\r", "=M*"},
        {"an empty line", kPlus, "\r", "\r\n>"},
        {"remote commands", kPlus, "#OSD ON\r#PATTERN 7\r#BRIGHTNESS 100\r#CONTRAST 0\r#SATURATION 50\r#SAVE\r",
         "#ACK\r#ACK\r#ACK\r#ACK\r#ACK\r#ACK\r"},
        {"remote commands with other arguments", kPlus, "#OSD on\r#PATTERN 8\r#BRIGHTNESS 101\r#CONTRAST -1\r#SAVE NOW\r",
         "#NACK\r#NACK\r#NACK\r#NACK\r#NACK\r"},
        {"content commands this card does not know", options([](auto&) {}), "#EDID 1\r#GAMMA 3 1\r#FPGA 2\r",
         "#NACK\r#NACK\r#NACK\r"},
    };
    for (const Answer& c : cases) {
        Card card(c.options);
        std::string answer = card.host.exchange(c.sent, 2 * kSec);
        if (c.options.noise > 0) {
            ASSERT_EQ(answer.size(), c.answer.size()) << c.what;
            for (std::size_t i = 1; i < answer.size(); i += 2) answer[i - 1] = '?';
        }
        EXPECT_EQ(answer, c.answer) << c.what;
        EXPECT_EQ(card.line.received(), c.heard.value_or(c.sent)) << c.what;
    }
}

TEST(SimCard, ProbeIsAnsweredWithElevenBytesOrMoreWithoutHash) {
    for (bool old : {false, true}) {
        Card card(options([&](auto& o) { o.oldFirmware = old; }));
        std::string answer = card.host.exchange(kProbe);
        EXPECT_GE(answer.size(), 11u) << old;
        EXPECT_EQ(answer.find('#'), std::string::npos) << old;
    }
}

TEST(SimCard, OldFirmwareAnswersItsMenuKeysAndBootsOnSix) {
    Card card(options([](auto& o) { o.oldFirmware = true; }));
    std::string menu;
    for (const char* key : {"#DEVTYPE\r", "1", "$"}) menu += card.host.exchange(key, 500 * kMs);
    EXPECT_GT(menu.size(), 4u);
    EXPECT_EQ(menu.find('#'), std::string::npos);
    EXPECT_EQ(card.host.exchange("6", 1000 * kMs), "");
    EXPECT_EQ(card.host.exchange(kProbe), "");
    card.line.setHostBaud(9600);
    EXPECT_EQ(card.host.exchange(std::string(3, '\0')), std::string(3, '\0')) << "the boot program matches the bit rate";
}

// A conversation touching every part of the card.
std::string converse(sim::Card& line) {
    TestHost host(line);
    std::string heard;
    for (int round = 0; round < 20; ++round) {
        heard += host.exchange(kProbe) + host.exchange("#DEVERSION\r#DEVTYPE\r") + host.exchange("=MA\r");
        heard += host.exchange(sim::isp::wireForm(sim::isp::makePacket(0x633, {0})));
    }
    return heard;
}

TEST(SimCard, TheSameSeedGivesTheSameFaults) {
    auto faulty = [](std::uint64_t seed) {
        return options([&](auto& o) { o.noise = 0.05; o.drop = 0.05; o.corrupt = 0.05; o.nack = 0.3; o.seed = seed; });
    };
    sim::Card first(faulty(7)), second(faulty(7)), other(faulty(8)), clean{sim::CardOptions{}};
    std::string heard = converse(first);
    EXPECT_EQ(heard, converse(second));
    EXPECT_EQ(first.received(), second.received());
    EXPECT_NE(heard, converse(other));
    EXPECT_NE(heard, converse(clean));
}

TEST(SimCard, CorruptedLateAndRefusedPackets) {
    Card garbled(options([](auto& o) { o.corrupt = 1.0; }));
    garbled.host.exchange("#DEVTYPE\r");
    ASSERT_EQ(garbled.line.received().size(), 9u);
    for (std::size_t i = 0; i < 9; ++i) EXPECT_NE(garbled.line.received()[i], "#DEVTYPE\r"[i]);

    Card late(options([](auto& o) { o.paced = false; o.late = 1.0; o.lateByMs = 2500; }));
    late.host.send("=MP\r");
    auto replies = late.host.timedCollect(3 * kSec);
    ASSERT_EQ(replies.size(), 3u);
    EXPECT_EQ(replies[0].first, 2500 * kMs);

    Card refusing(options([](auto& o) { o.nack = 1.0; }));
    EXPECT_EQ(nackReason(exchange(refusing.host, 0x633, {0}), 0x633), 0x0004);
    EXPECT_EQ(nackReason(exchange(refusing.host, 0x632, {0}), 0x632), 0x0004);
}

TEST(SimCard, ACardThatGoesAwayKeepsOnlyWhatItHadSent) {
    Card card(options([](auto& o) { o.vanishAfter = 2; })), clean;
    card.host.send(kProbe);
    card.host.wait(1200 * kUs);                                     // the answer has begun
    std::string heard = card.host.exchange(kProbe, kSec);          // the card goes away when this one arrives
    std::string whole = clean.host.exchange(kProbe);
    EXPECT_FALSE(heard.empty());
    EXPECT_LT(heard.size(), whole.size());
    EXPECT_EQ(heard, whole.substr(0, heard.size()));
    EXPECT_EQ(card.host.exchange("#DEVTYPE\r"), "");
    EXPECT_EQ(card.line.received(), std::string(2, '\0'));
}

}  // namespace
