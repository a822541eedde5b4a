// The card's content transfers on the line: the XSVF player's requests for
// each instruction (its waits show in the FPGA scenario's timing), and the
// strictness of every transfer about what it receives and when.
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
