// The card's content transfers on the line: the XSVF player's requests for
// each instruction, its waits, and the strictness of every transfer about
// what it receives and when.
#include "tests/unit/sim_test_card.h"

using namespace simtest;

namespace {

std::string word(std::uint32_t value) {
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
            static_cast<char>(value)};
}

// Each step: what the host sends once the card's last request has reached
// it, and the request that answers it.
struct Step {
    std::string sent;
    std::string request;
};

TEST(SimContent, ThePlayerAsksForExactlyWhatEachInstructionNeeds) {
    const std::string zeros(1, '\0');
    const Step steps[] = {
        {"#FPGA 1\r", "*"},
        {"\x16", "*"}, {"a", "*"}, {zeros, "*"},                                    // XCOMMENT
        {"\x02", "*"}, {"\x0A", std::string("$$\0\x02", 4)}, {"\x01\x02", "*"},     // XSIR, 10 bits
        {"\x15", std::string("$$\0\x02", 4)}, {std::string("\0\x09", 2), std::string("$$\0\x02", 4)},
        {"\x01\x02", "*"},                                                          // XSIR2, 9 bits
        {"\x08", std::string("$$\0\x04", 4)}, {word(8 * 70000), "*"},               // XSDRSIZE
        {"\x03", "$$\xFF\xFF"}, {std::string(65535, 'd'), "$$\x11\x71"},            // XSDR, 70000 bytes
        {std::string(4465, 'd'), "*"},
        {"\x0B", "~F"},                                                             // XSDRINC: not played
    };
    Card card;
    for (const Step& step : steps) {
        std::string answer = card.host.exchange(step.sent, step.sent.size() * 100 * kUs + 10 * kMs);
        ASSERT_EQ(answer, step.request) << "after " << step.sent.size() << " bytes";
    }
    EXPECT_TRUE(card.line.content().fpgaFile().empty());
    EXPECT_EQ(card.host.exchange("#DEVTYPE\r"), "#DEVTYPE SDITOHDMI\r") << "the line is back with the commands";
}

// XRUNTEST's time after each shift that ends in Run-Test/Idle, XWAIT's own.
TEST(SimContent, ThePlayerWaitsAsTheFileAsks) {
    const std::string four("$$\0\x04", 4);
    const struct {
        std::string sent;
        std::string request;
        sim::Nanos wait;
    } steps[] = {
        {"#FPGA 1\r", "*", 0},
        {"\x04", four, 0},           {word(30000), "*", 0},            // XRUNTEST 30 ms
        {"\x02", "*", 0},            {"\x08", std::string("$$\0\x01", 4), 0}, {"\x11", "*", 30 * kMs},  // XSIR
        {"\x17", std::string("$$\0\x06", 4), 0}, {std::string("\0\0", 2) + word(250000), "*", 250 * kMs},  // XWAIT
        {std::string(1, '\0'), "~S", 0},
    };
    Card card;
    std::string file;
    for (const auto& step : steps) {
        card.host.send(step.sent);
        sim::Nanos sent = card.host.now();
        auto answer = card.host.timedCollect(step.sent.size() * 100 * kUs + 400 * kMs);
        std::string text;
        for (auto& [at, byte] : answer) text.push_back(byte);
        ASSERT_EQ(text, step.request);
        // The last byte sent arrives, the card waits, its request crosses the line.
        sim::Nanos quick = sent + (step.sent.size() + step.request.size()) * 86805 + 10 * kUs;
        EXPECT_GE(answer.back().first, quick + step.wait - 10 * kUs);
        EXPECT_LT(answer.back().first, quick + step.wait);
        if (step.sent != "#FPGA 1\r") file += step.sent;
    }
    EXPECT_EQ(std::string(card.line.content().fpgaFile().begin(), card.line.content().fpgaFile().end()), file);
}

// A byte sent before the host could have seen the card's last request or
// acknowledgement, or one the card did not ask for, ends the transfer.
TEST(SimContent, EveryTransferRefusesBytesItDidNotWaitFor) {
    const struct {
        const char* what;
        std::string command;
        std::string early;
        std::string answer;
    } cases[] = {
        {"player", "#FPGA 1\r", "\x16" "a", "**~F"},
        {"EDID", "#EDID 1\r", "ab", ".~E"},
        {"gamma", "#GAMMA 3 0\r", std::string("\0\x01\0", 3), ".~E"},
    };
    for (const auto& c : cases) {
        Card card(options([](auto& o) { o.model = "DVITOSDI"; }));
        std::string first = card.host.exchange(c.command);
        EXPECT_EQ(first + card.host.exchange(c.early), c.answer) << c.what;
        EXPECT_TRUE(card.line.content().edid().empty() && card.line.content().gamma().empty());
    }
}

// A transfer the host has left gives the line back after ten seconds.
TEST(SimContent, ALeftTransferGivesTheLineBack) {
    Card card(options([](auto& o) { o.model = "HDMITOSDI"; }));
    EXPECT_EQ(card.host.exchange("#EDID 2\r"), "");
    card.host.wait(9 * kSec);
    EXPECT_EQ(card.host.exchange("\r"), ".") << "still taken as EDID data";
    card.host.wait(11 * kSec);
    EXPECT_EQ(card.host.exchange("#DEVTYPE\r"), "#DEVTYPE HDMITOSDI\r");
}

}  // namespace
